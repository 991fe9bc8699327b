#include "tests/support/standin/StandinMapService.h"

#include <QtTest>

using namespace tarnel::testing;

class StandinMapServiceTest : public QObject {
    Q_OBJECT

private slots:
    void page_data();
    void page();
    void escapesQuery();
};

void StandinMapServiceTest::page_data() {
    QTest::addColumn<QString>("q");
    QTest::addColumn<QString>("arrangement"); // empty: the place is not known

    QTest::newRow("known address, program's form")
        << QStringLiteral("Rue de la cité, PARIS, FRANCE, 75004")
        << ":{lat:48.8540000,lng:2.3470000},";
    QTest::newRow("known address, geocoding form, trimmed and +")
        << QStringLiteral("Rue+de+la+cité,+PARIS,+FRANCE,+75004")
        << ":{lat:48.8540000,lng:2.3470000},";
    QTest::newRow("known address without accents") << "rue de la cite, paris, france, 75004"
                                                   << ":{lat:48.8540000,lng:2.3470000},";
    QTest::newRow("southern eastern") << "Bennelong Point, Sydney, Australia, 2000"
                                      << ":{lat:-33.8567844,lng:151.2152967},";
    QTest::newRow("southern western")
        << QStringLiteral("Avenida Atlântica, Rio de Janeiro, Brasil, 22070")
        << ":{lat:-22.9711000,lng:-43.1822000},";
    QTest::newRow("coordinates") << "48.8584,2.2945"
                                 << ":{lat:48.8584000,lng:2.2945000},";
    QTest::newRow("coordinates out of range") << "148.8584,2.2945"
                                              << "";
    QTest::newRow("unknown address") << "1 rue X, Paris, FRANCE, 75001"
                                     << "";
    QTest::newRow("other postal code") << "Rue de la cité, PARIS, FRANCE, 75005"
                                       << "";
    QTest::newRow("nothing") << ""
                             << "";
}

void StandinMapServiceTest::page() {
    QFETCH(QString, q);
    QFETCH(QString, arrangement);

    const QString page = QString::fromUtf8(StandinMapService::MapPage(q)).toLower();
    if (arrangement.isEmpty()) {
        QVERIFY(!page.contains(QStringLiteral(":{lat:")));
        return;
    }
    // The geocoding takes the first marker; the text up to "}," must be 21 to 199 characters.
    const qsizetype start = page.indexOf(QStringLiteral(":{lat:"));
    QCOMPARE(page.mid(start, arrangement.size()), arrangement);
    const qsizetype distance = page.indexOf(QStringLiteral("},"), start) - (start + 1);
    QVERIFY(distance > 20 && distance < 200);
}

void StandinMapServiceTest::escapesQuery() {
    const QByteArray page = StandinMapService::MapPage(QStringLiteral("<b>\"x\" & y</b>"));
    QVERIFY(page.contains("&lt;b&gt;&quot;x&quot; &amp; y&lt;/b&gt;"));
    QVERIFY(!page.contains("<b>\"x\""));
}

QTEST_GUILESS_MAIN(StandinMapServiceTest)
#include "StandinMapServiceTest.moc"
