// The program as shipped, with its own map service, on a machine without a network: the
// geocoders cannot be reached and the browser resolves no name but the loopback address. Driven
// with the keyboard on a virtual X screen; what the map view shows is read through the
// browser's remote-debugging list of pages, and each page is asked again of the program's own
// service.

#include "ShippedProgram.h"
#include "XdoTool.h"
#include "mapservice/MapPage.h"

#include <httplib.h>

#include <QTest>
#include <QUrl>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

// Nothing listens there: every connection is refused, as without a network.
const QString kDeadGeocoder = QStringLiteral("http://127.0.0.1:1/search");

// "#" would end the query, "&" split it, "?" start another one; Łódź has letters beyond
// windows-1252.
const QString kStreet = QStringLiteral("Les Pins #3 & Co?");
const QString kCity = QStringLiteral("Łódź");

// The query value of a map query URL, decoded as the service decodes it.
QString QueryOf(const QString& url) {
    QString raw = url.section(u"?q="_qs, 1);
    return QUrl::fromPercentEncoding(raw.replace(u'+', u' ').toUtf8());
}

// The page of `url` asked again of the program's own service, as the map view asked it.
QString PageOf(const QString& url) {
    const QUrl parsed(url);
    httplib::Client client(parsed.host().toStdString(), parsed.port());
    client.set_url_encode(false);
    const auto result =
        client.Get(parsed.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::FullyEncoded)
                       .toStdString());
    return result ? QString::fromStdString(result->body) : QString();
}

} // namespace

class OfflineProgramTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesSayWhatTheyCan();

private:
    ShippedProgram program_;
};

void OfflineProgramTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (run under xvfb-run)");
    const QString failure = program_.Start(kDeadGeocoder, kDeadGeocoder);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void OfflineProgramTest::pagesSayWhatTheyCan() {
    QVERIFY2(ShippedProgram::FocusMainWindow(), "no map page or no main window");
    // First start: the map view opens on the bare query.
    QVERIFY(ShippedProgram::MapViewPage().url.endsWith(QLatin1String("/maps?q=")));

    // Street, town, postal code, country, then the search by address.
    QVERIFY(Type(kStreet));
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(kCity));
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("90001")));
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("Pologne")));
    QVERIFY(Keys({QStringLiteral("Tab"), QStringLiteral("space")}));

    // The service got the address whole, and its page says the geocoders are out of reach.
    const QString address = kStreet + u", "_qs + kCity + u", Pologne, 90001"_qs;
    QTRY_COMPARE_WITH_TIMEOUT(QueryOf(ShippedProgram::MapViewPage().url), address, 60000);
    const QString addressPage = PageOf(ShippedProgram::MapViewPage().url);
    QVERIFY(addressPage.contains(u"<h1>Les Pins #3 &amp; Co?, Łódź, Pologne, 90001</h1>"_qs));
    QVERIFY2(addressPage.contains(AbsenceText(Absence::Unreachable)), qPrintable(addressPage));
    QVERIFY(!addressPage.contains(QLatin1String(":{lat:")));

    // Coordinates need no geocoder: the page gives them, a link, the map's data and its notice.
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("48.8584")));
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("2.2945")));
    QVERIFY(Keys({QStringLiteral("Tab"), QStringLiteral("space")}));
    QTRY_VERIFY_WITH_TIMEOUT(
        ShippedProgram::MapViewPage().url.endsWith(QLatin1String("q=48.8584%2C2.2945")), 60000);
    const QString pairPage = PageOf(ShippedProgram::MapViewPage().url);
    QVERIFY(pairPage.contains(QLatin1String("Latitude 48.8584000, longitude 2.2945000")));
    QVERIFY(pairPage.contains(QLatin1String("href=\"https://www.openstreetmap.org/?mlat=")));
    QVERIFY(pairPage.contains(QStringLiteral("La carte ne peut pas s'afficher")));
    QVERIFY(
        pairPage.contains(QLatin1String("<script type=\"application/json\" id=\"tarnel-place\">")));

    QVERIFY(Keys({QStringLiteral("alt+q")}));
    QVERIFY(program_.process().waitForFinished(30000));
    QCOMPARE(program_.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(OfflineProgramTest)
#include "OfflineProgramTest.moc"
