#include "core/MapQueryPlace.h"

#include <QTest>

using namespace tarnel;

class MapQueryPlaceTest : public QObject {
    Q_OBJECT

private slots:
    void place_data();
    void place();
};

void MapQueryPlaceTest::place_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("place");
    const QString base = QStringLiteral("http://maps.example/maps?q=");
    const auto row = [&](const char* name, const QString& value, const QString& place) {
        QTest::newRow(name) << base + value << place;
    };
    row("address as typed", u"1 rue X,+Paris,+FRANCE,+75001"_qs,
        u"1 rue X, Paris, FRANCE, 75001"_qs);
    row("accented letters as typed", u"Rue de la cité,+PARIS"_qs, u"Rue de la cité, PARIS"_qs);
    row("percent-encoded UTF-8", u"Rue%20de%20la%20cit%C3%A9,+PARIS"_qs,
        u"Rue de la cité, PARIS"_qs);
    row("coordinates", u"48.8584%2C2.2945"_qs, u"48.8584,2.2945"_qs);

    row("degrees, minutes, seconds", u"48°51'23\"%2C2°21'7\""_qs, u"48°51'23\",2°21'7\""_qs);
    row("an ampersand belongs to the place", u"Rue A & B,+Lyon"_qs, u"Rue A & B, Lyon"_qs);
    row("a lone percent sign stays", u"100% bio"_qs, u"100% bio"_qs);
    row("an escape at the very end", u"48.5%2C"_qs, u"48.5,"_qs);
    row("a percent sign before one digit", u"50%2"_qs, u"50%2"_qs);
    row("nothing searched yet", QString(), QString());
    QTest::newRow("no query") << u"http://maps.example/"_qs << QString();
    QTest::newRow("empty URL") << QString() << QString();
}

void MapQueryPlaceTest::place() {
    QFETCH(QString, url);
    QFETCH(QString, place);
    QCOMPARE(MapQueryPlace(url), place);
}

QTEST_APPLESS_MAIN(MapQueryPlaceTest)
#include "MapQueryPlaceTest.moc"
