#include "FakeGeocoderServer.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/NominatimGeocoder.h"
#include "mapservice/MapPage.h"
#include "mapservice/MapService.h"

#include <httplib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <chrono>
#include <memory>

using namespace tarnel;
using namespace std::chrono_literals;
using Endpoint = FakeGeocoderServer::Endpoint;
using Behaviour = FakeGeocoderServer::Behaviour;

namespace {

const QByteArray kTestAgent = "TarnelTest/1.0 (+https://tarnel.example)";
constexpr HttpLimits kTestLimits{1000ms, 1500ms, 256 * 1024};

} // namespace

// "GET /place": what the map page redraws itself from for another search, decided as the page
// of the same query is, behind the same guards.
class MapServicePlaceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void placeOfEachQuery_data();
    void placeOfEachQuery();
    void guarded_data();
    void guarded();

private:
    httplib::Result Get(const std::string& target, const httplib::Headers& headers = {}) const;

    std::unique_ptr<FakeGeocoderServer> fake_;
    std::unique_ptr<MapService> service_;
};

void MapServicePlaceTest::initTestCase() {
    fake_ = std::make_unique<FakeGeocoderServer>();
    fake_->Set(Endpoint::National, u"Rue Vide, Paris, 75007"_qs, Behaviour::Empty);
    // The Base Adresse Nationale's documented example, as recorded by a public project (see
    // recorded/cases.json): five towns have an 8 boulevard du Port.
    QFile recorded(QStringLiteral(TARNEL_RECORDED_DIR "/ban-8-bd-du-port.json"));
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    fake_->SetRecorded(Endpoint::National, u"8 bd du port"_qs, recorded.readAll());
    service_ = std::make_unique<MapService>(
        std::make_unique<GeoplateformeGeocoder>(fake_->SearchUrl(Endpoint::National), kTestAgent,
                                                kTestLimits),
        std::make_unique<NominatimGeocoder>(fake_->SearchUrl(Endpoint::Nominatim), kTestAgent,
                                            kTestLimits, 20ms));
    QVERIFY(service_->Start());
}

httplib::Result MapServicePlaceTest::Get(const std::string& target,
                                         const httplib::Headers& headers) const {
    httplib::Client client("127.0.0.1", service_->Port());
    client.set_url_encode(false);
    client.set_read_timeout(10, 0);
    return client.Get(target, headers);
}

void MapServicePlaceTest::placeOfEachQuery_data() {
    QTest::addColumn<QByteArray>("query"); // raw, as the page sends its own
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("latitude"); // in seven decimals; empty: no place
    QTest::addColumn<QString>("source");
    QTest::addColumn<int>("others");
    QTest::addColumn<QString>("message"); // its start
    QTest::addColumn<bool>("absence");
    QTest::newRow("coordinate pair") << QByteArray("48.8584%2C2.2945") << u"48.8584,2.2945"_qs
                                     << u"48.8584000"_qs << QString() << 0 << QString() << false;
    QTest::newRow("address with namesakes")
        << QByteArray("8+bd+du+port,+,+FRANCE,+") << u"8 bd du port, , FRANCE, "_qs
        << u"49.8974430"_qs << u"Base Adresse Nationale"_qs << 4 << QString() << false;
    QTest::newRow("unknown address")
        << QByteArray("Rue+Vide,+Paris,+FRANCE,+75007") << u"Rue Vide, Paris, FRANCE, 75007"_qs
        << QString() << QString() << 0 << AbsenceText(Absence::NotFound) << true;
    QTest::newRow("pair off Earth") << QByteArray("91%2C0") << u"91,0"_qs << QString() << QString()
                                    << 0 << u"La case Latitude est hors limites"_qs << true;
    QTest::newRow("nothing asked") << QByteArray() << u"Recherche vide"_qs << QString() << QString()
                                   << 0 << u"Saisissez une adresse"_qs << false;
}

void MapServicePlaceTest::placeOfEachQuery() {
    QFETCH(QByteArray, query);
    QFETCH(QString, heading);
    QFETCH(QString, latitude);
    QFETCH(QString, source);
    QFETCH(int, others);
    QFETCH(QString, message);
    QFETCH(bool, absence);
    const auto result = Get("/place?q=" + query.toStdString());
    QVERIFY(result);
    QCOMPARE(result->status, 200);
    QCOMPARE(result->get_header_value("Content-Type"), "application/json; charset=utf-8");
    QCOMPARE(result->get_header_value("Cache-Control"), "no-store");
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
    QCOMPARE(json[u"heading"_qs].toString(), heading);
    QCOMPARE(json[u"source"_qs].toString(), source);
    QCOMPARE(json[u"others"_qs].toArray().size(), others);
    QVERIFY2(json[u"message"_qs].toString().startsWith(message),
             qPrintable(json[u"message"_qs].toString()));
    QCOMPARE(json[u"message"_qs].toString().isEmpty(), message.isEmpty());
    QCOMPARE(json[u"absence"_qs].toBool(), absence);
    if (latitude.isEmpty()) {
        QVERIFY(json[u"place"_qs].isNull());
        QCOMPARE(json[u"viewport"_qs].toString(), QString());
        return;
    }
    QCOMPARE(QString::number(json[u"place"_qs][u"lat"_qs].toDouble(), 'f', 7), latitude);
    // The same arrangement as the page of the same query carries in its head.
    const auto page = Get("/maps?q=" + query.toStdString());
    QVERIFY(page);
    const QString viewport = json[u"viewport"_qs].toString();
    QVERIFY(viewport.startsWith(u"viewport:{center:{lat:"_qs + latitude));
    QVERIFY(QByteArray::fromStdString(page->body).contains(("<!-- " + viewport + " -->").toUtf8()));
    for (const QJsonValue other : json[u"others"_qs].toArray()) {
        QVERIFY(!other[u"label"_qs].toString().isEmpty() && other[u"lat"_qs].isDouble());
    }
}

void MapServicePlaceTest::guarded_data() {
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("host"); // %1 stands for the service's port
    QTest::addColumn<QByteArray>("origin");
    QTest::addColumn<QByteArray>("fetchSite");
    QTest::addColumn<int>("status");
    const QByteArray own = "127.0.0.1:%1";
    QTest::newRow("the page's own fetch")
        << QByteArray("GET") << own << QByteArray("http://127.0.0.1:%1")
        << QByteArray("same-origin") << 200;
    QTest::newRow("another site's fetch")
        << QByteArray("GET") << own << QByteArray("https://evil.example")
        << QByteArray("cross-site") << 403;
    QTest::newRow("another host name")
        << QByteArray("GET") << QByteArray("localhost:%1") << QByteArray() << QByteArray() << 403;
    QTest::newRow("post") << QByteArray("POST") << own << QByteArray() << QByteArray() << 405;
}

void MapServicePlaceTest::guarded() {
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, host);
    QFETCH(QByteArray, origin);
    QFETCH(QByteArray, fetchSite);
    QFETCH(int, status);
    httplib::Headers headers{
        {"Host", QString::fromLatin1(host).arg(service_->Port()).toStdString()}};
    if (!origin.isEmpty()) {
        headers.emplace("Origin", QString::fromLatin1(origin).arg(service_->Port()).toStdString());
    }
    if (!fetchSite.isEmpty()) {
        headers.emplace("Sec-Fetch-Site", fetchSite.toStdString());
    }
    httplib::Client client("127.0.0.1", service_->Port());
    const std::string target = "/place?q=48.8584%2C2.2945";
    const auto result = method == "GET" ? client.Get(target, headers)
                                        : client.Post(target, headers, "x", "text/plain");
    QVERIFY(result);
    QCOMPARE(result->status, status);
    QCOMPARE(QByteArray::fromStdString(result->body).contains("\"place\""), status == 200);
}

QTEST_GUILESS_MAIN(MapServicePlaceTest)
#include "MapServicePlaceTest.moc"
