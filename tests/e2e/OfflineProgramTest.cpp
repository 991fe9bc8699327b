// The program as shipped, with its own map service, on a machine without a network: the
// geocoders cannot be reached and the browser resolves no name but the loopback address. Driven
// with the keyboard on a virtual X screen; what the map view shows is read through the
// browser's remote-debugging list of pages, and each page is asked again of the program's own
// service.

#include "XdoTool.h"
#include "mapservice/MapPage.h"

#include <httplib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

const QString kProgram = QStringLiteral(TARNEL_SHIPPED_PROGRAM);
// The browser's remote-debugging port; the stand-in's port, which this run does not use.
constexpr int kDebugPort = TARNEL_E2E_PORT;
// Nothing listens there: every connection is refused, as without a network.
const QString kDeadGeocoder = QStringLiteral("http://127.0.0.1:1/search");

// "#" would end the query, "&" split it, "?" start another one; Łódź has letters beyond
// windows-1252.
const QString kStreet = QStringLiteral("Les Pins #3 & Co?");
const QString kCity = QStringLiteral("Łódź");

struct ShownPage {
    QString url;
    QString title;
};

// The page the map view shows, from the browser's list; empty before there is one.
ShownPage MapViewPage() {
    httplib::Client client("127.0.0.1", kDebugPort);
    client.set_connection_timeout(2, 0);
    const auto result = client.Get("/json/list");
    if (!result || result->status != 200)
        return {};
    for (const QJsonValue& value :
         QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).array()) {
        const QJsonObject target = value.toObject();
        const QString url = target.value(QLatin1String("url")).toString();
        if (target.value(QLatin1String("type")).toString() == QLatin1String("page") &&
            url.contains(QLatin1String("/maps?q=")))
            return {url, target.value(QLatin1String("title")).toString()};
    }
    return {};
}

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
    void cleanupTestCase();

private:
    QTemporaryDir home_;
    QProcess program_;
};

void OfflineProgramTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (run under xvfb-run)");
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    QVERIFY(home_.isValid());
    // The program keeps its last position next to itself: run a copy in a folder of our own.
    const QString copy = home_.filePath(QStringLiteral("tarnel"));
    QVERIFY(QFile::copy(kProgram, copy));
    QVERIFY(QFile::setPermissions(copy, QFile::permissions(kProgram)));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Configuration and cache folders of our own, so that no tarnel.conf of the machine counts.
    environment.insert(QStringLiteral("HOME"), home_.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home_.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("TARNEL_GEOCODER_FRANCE_URL"), kDeadGeocoder);
    environment.insert(QStringLiteral("TARNEL_GEOCODER_WORLD_URL"), kDeadGeocoder);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QTWEBENGINE_REMOTE_DEBUGGING"),
                       QStringLiteral("127.0.0.1:%1").arg(kDebugPort));
    // Everything but the loopback address goes to a proxy that is not there: the embedded map
    // cannot load, as offline.
    environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                       QStringLiteral("--disable-gpu --disable-background-networking "
                                      "--proxy-server=http://127.0.0.1:1"));
    program_.setProcessEnvironment(environment);
    program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program_.start(copy, {});
    QVERIFY(program_.waitForStarted());
}

void OfflineProgramTest::pagesSayWhatTheyCan() {
    // First start: the map view opens on the bare query.
    QTRY_VERIFY_WITH_TIMEOUT(MapViewPage().url.endsWith(QLatin1String("/maps?q=")), 90000);
    const QString window = Xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                                    QStringLiteral("--name"), QStringLiteral("^Tarnel - v")});
    QVERIFY2(!window.isEmpty(), "the main window did not appear");
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"),
             window.split(QLatin1Char('\n')).first()});

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
    QTRY_COMPARE_WITH_TIMEOUT(QueryOf(MapViewPage().url), address, 60000);
    const QString addressPage = PageOf(MapViewPage().url);
    QVERIFY(addressPage.contains(u"<h1>Les Pins #3 &amp; Co?, Łódź, Pologne, 90001</h1>"_qs));
    QVERIFY2(addressPage.contains(AbsenceText(Absence::Unreachable)), qPrintable(addressPage));
    QVERIFY(!addressPage.contains(QLatin1String(":{lat:")));

    // Coordinates need no geocoder: the page gives them, a link and a notice for the map.
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("48.8584")));
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("2.2945")));
    QVERIFY(Keys({QStringLiteral("Tab"), QStringLiteral("space")}));
    QTRY_VERIFY_WITH_TIMEOUT(MapViewPage().url.endsWith(QLatin1String("q=48.8584%2C2.2945")),
                             60000);
    const QString pairPage = PageOf(MapViewPage().url);
    QVERIFY(pairPage.contains(QLatin1String("Latitude 48.8584000, longitude 2.2945000")));
    QVERIFY(pairPage.contains(QLatin1String("href=\"https://www.openstreetmap.org/?mlat=")));
    QVERIFY(pairPage.contains(QStringLiteral("La carte ne peut pas s'afficher")));
    QVERIFY(!pairPage.contains(QLatin1String("<script")));

    QVERIFY(Keys({QStringLiteral("alt+q")}));
    QVERIFY(program_.waitForFinished(30000));
    QCOMPARE(program_.exitCode(), 0);
}

void OfflineProgramTest::cleanupTestCase() {
    if (program_.state() != QProcess::NotRunning) {
        program_.kill();
        program_.waitForFinished(10000);
    }
}

QTEST_GUILESS_MAIN(OfflineProgramTest)
#include "OfflineProgramTest.moc"
