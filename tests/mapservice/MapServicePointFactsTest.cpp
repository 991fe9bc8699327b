// A point's altitude, commune and parcel: the readers of the three services' answers, and the
// service's routes on loopback with stand-ins of the three services replaying recorded answers
// (point-facts/SOURCES.md names where each comes from): what the panel is told, what the
// services are asked, how often, and what a refusal or a stop does.

#include "geocoding/AltitudeService.h"
#include "geocoding/CommuneService.h"
#include "geocoding/ParcelService.h"
#include "mapservice/MapService.h"
#include "tests/support/LoopbackServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QUrl>
#include <atomic>
#include <future>
#include <mutex>
#include <thread>

using namespace tarnel;
using namespace std::chrono_literals;

namespace {

QByteArray Recorded(const QString& name) {
    QFile file(QStringLiteral(TARNEL_POINT_FACTS "/%1.json").arg(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kAgent = "TarnelTest/1.0 (+https://tarnel.example)";
constexpr auto kTooMany = R"({"code":429,"message":"Too Many Requests"})";

// What a stand-in does.
enum class Reply { Recorded, TooMany, ServerError, Garbage, Hang };

struct Arrival {
    std::string path;
    QByteArray target;
    std::string agent;
    std::chrono::steady_clock::time_point at;
};

// The three services on loopback, each at its own path, answering `body[path]` as `reply[path]`
// says.
struct FactStandIns {
    static constexpr auto kAltitude = "/altimetrie/elevation.json";
    static constexpr auto kCommune = "/communes";
    static constexpr auto kParcel = "/api/cadastre/parcelle";

    FactStandIns() {
        for (const char* path : {kAltitude, kCommune, kParcel}) {
            server.Server().Get(
                path, [this, path](const httplib::Request& request, httplib::Response& response) {
                    Answer(path, request, response);
                });
        }
        server.Start();
    }
    ~FactStandIns() { released = true; }

    void Answer(const std::string& path, const httplib::Request& request,
                httplib::Response& response) {
        std::unique_lock lock(mutex);
        arrivals.append({path, QByteArray::fromStdString(request.target),
                         request.get_header_value("User-Agent"), std::chrono::steady_clock::now()});
        const Reply what = reply.value(path, Reply::Recorded);
        const QByteArray recorded = body.value(path);
        lock.unlock();
        switch (what) {
        case Reply::TooMany:
            response.status = 429;
            if (retryAfter > 0)
                response.set_header("Retry-After", std::to_string(retryAfter));
            return response.set_content(kTooMany, "application/json");
        case Reply::ServerError:
            response.status = 500;
            return response.set_content("{}", "application/json");
        case Reply::Garbage:
            return response.set_content("<html><body>{\"elevations\": [ oops", "text/html");
        case Reply::Hang:
            for (int i = 0; i < 500 && !released; ++i)
                std::this_thread::sleep_for(20ms);
            return response.set_content("[]", "application/json");
        case Reply::Recorded:
            break;
        }
        response.set_content(recorded.toStdString(), "application/json");
    }

    QList<Arrival> Since(qsizetype first) {
        const std::lock_guard lock(mutex);
        return arrivals.mid(first);
    }
    qsizetype Count() {
        const std::lock_guard lock(mutex);
        return arrivals.size();
    }

    std::mutex mutex;
    std::atomic<bool> released = false;
    QMap<std::string, Reply> reply;
    QMap<std::string, QByteArray> body;
    int retryAfter = 0;
    QList<Arrival> arrivals;
    testing::LoopbackServer server;
};

QJsonObject Get(quint16 port, const std::string& target) {
    httplib::Client client("127.0.0.1", port);
    const httplib::Result result = client.Get(target);
    return result ? QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object()
                  : QJsonObject();
}

std::string Target(const char* route, double lat, double lon) {
    return QStringLiteral("%1?lat=%2&lon=%3")
        .arg(QLatin1String(route))
        .arg(lat)
        .arg(lon)
        .toStdString();
}

// Quick turns for the tests that are not about them.
std::shared_ptr<RateLimiter> QuickTurns() {
    return std::make_shared<RateLimiter>(1ms, 3000ms);
}

const HttpLimits kLimits{1000ms, 1500ms, 256 * 1024};

} // namespace

Q_DECLARE_METATYPE(Reply)

class MapServicePointFactsTest : public QObject {
    Q_OBJECT

private slots:
    void readers_data();
    void readers();
    void routes_data();
    void routes();
    void requestsAsTheServicesDocumentThem();
    void answersAreCachedPerPoint();
    void retryAfterIsHonoured_data();
    void retryAfterIsHonoured();
    void altitudeTurnsAreTheWholeProgramsAndHalfItsLimit();
    void stopEndsLookupsAtOnce();

private:
    // The real service asking the stand-ins; a service named in `off` is switched off.
    std::unique_ptr<MapService> Service(const QStringList& off = {},
                                        std::shared_ptr<RateLimiter> altitudeTurns = QuickTurns());

    FactStandIns fake_;
};

std::unique_ptr<MapService>
MapServicePointFactsTest::Service(const QStringList& off,
                                  std::shared_ptr<RateLimiter> altitudeTurns) {
    const auto url = [this](const char* path) {
        return fake_.server.Url(QLatin1String(path));
    };
    PointFactServices facts;
    if (!off.contains(u"altitude"))
        facts.altitude = std::make_unique<AltitudeService>(url(FactStandIns::kAltitude), kAgent,
                                                           kLimits, std::move(altitudeTurns));
    if (!off.contains(u"commune"))
        facts.commune = std::make_unique<CommuneService>(url(FactStandIns::kCommune), kAgent,
                                                         kLimits, QuickTurns());
    if (!off.contains(u"parcel"))
        facts.parcel = std::make_unique<ParcelService>(url(FactStandIns::kParcel), kAgent, kLimits,
                                                       QuickTurns());
    if (off.contains(u"dead"))
        facts.parcel = std::make_unique<ParcelService>(u"http://127.0.0.1:9/parcelle"_qs, kAgent,
                                                       kLimits, QuickTurns());
    auto service = std::make_unique<MapService>(nullptr, nullptr, TileLayersOf(), nullptr, nullptr,
                                                std::move(facts));
    return service->Start() ? std::move(service) : nullptr;
}

void MapServicePointFactsTest::readers_data() {
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("read"); // the outcome's number, then the fact's parts

    const auto row = [](const char* name, const char* reader, const QByteArray& body,
                        const QString& read) {
        QTest::newRow(name) << QString::fromLatin1(reader) << body << read;
    };
    // Outcomes: 0 found, 1 none, 5 failed.
    row("altitude, IGN's example, bare values", "altitude", Recorded(u"altitude-ign-doc-zonly"_qs),
        u"0 164.34"_qs);
    row("altitude, IGN's example, extended", "altitude", Recorded(u"altitude-ign-doc-extended"_qs),
        u"0 164.34"_qs);
    row("altitude, Paris", "altitude", Recorded(u"altitude-geocontext-paris"_qs), u"0 34.78"_qs);
    row("altitude not covered: -99999", "altitude", Recorded(u"altitude-geocontext-not-covered"_qs),
        u"1 0"_qs);
    row("altitude, IGN widgets' no-data range", "altitude", R"({"elevations":[-10000.5]})",
        u"1 0"_qs);
    // The error the former service answered with a 200, quoted by IGN's access library
    // (IGNF/geoportal-access-lib, test/end-to-end/spec-messages/test_Services_Alti.js).
    row("altitude, former service's error", "altitude",
        R"({"error": {"code": "BAD_PARAMETER","description": "The values () cannot be parsed as a valid longitude (double value such as -180 < lat < 180)."}})",
        u"5 0"_qs);
    row("altitude, none in the list", "altitude", R"({"elevations":[]})", u"5 0"_qs);
    row("altitude as text", "altitude", R"({"elevations":["12.5"]})", u"5 0"_qs);
    row("altitude no ground has", "altitude", R"({"elevations":[12000]})", u"5 0"_qs);
    row("commune, Versailles", "commune", Recorded(u"commune-geo-api-doc-versailles"_qs),
        u"0 Versailles|78646||78|78000"_qs);
    row("commune with its department", "commune",
        R"([{"nom":"Loctudy","code":"29135","codesPostaux":["29750"],"departement":{"code":"29","nom":"Finistère"}}])",
        u"0 Loctudy|29135|Finistère|29|29750"_qs);
    row("no commune there", "commune", "[]", u"1 ||||"_qs);
    row("every commune: the filter was dropped", "commune",
        "[" + Recorded(u"commune-geo-api-doc-versailles"_qs).mid(1).chopped(2) + "," +
            Recorded(u"commune-geo-api-doc-versailles"_qs).mid(1),
        u"5 ||||"_qs);
    row("commune without its code", "commune", R"([{"nom":"Versailles"}])", u"5 ||||"_qs);
    row("commune, not an array", "commune", kTooMany, u"5 ||||"_qs);
    row("parcel, Saint-Viâtre", "parcel", Recorded(u"parcel-happign-saint-viatre"_qs),
        u"0 412310000A0075|000|0A|0075|Saint-Viâtre|24810"_qs);
    row("parcel, Chaumont-sur-Tharonne", "parcel",
        Recorded(u"parcel-happign-chaumont-sur-tharonne"_qs),
        u"0 41046000AK0279|000|AK|0279|Chaumont-sur-Tharonne|15100"_qs);
    row("no parcel there", "parcel", Recorded(u"parcel-apicarto-empty"_qs), u"1 |||||-1"_qs);
    row("parcel without its number", "parcel",
        R"({"type":"FeatureCollection","features":[{"properties":{"section":"AX"}}]})",
        u"5 |||||-1"_qs);
    row("parcel, refusal body", "parcel", kTooMany, u"5 |||||-1"_qs);
}

void MapServicePointFactsTest::readers() {
    QFETCH(QString, reader);
    QFETCH(QByteArray, body);
    QFETCH(QString, read);
    QVERIFY(!body.isEmpty());
    QString got;
    if (reader == u"altitude") {
        const PointAltitude altitude = AltitudeService::ReadAnswer(body);
        got = QString::number(int(altitude.outcome)) + u' ' + QString::number(altitude.metres);
    } else if (reader == u"commune") {
        const PointCommune c = CommuneService::ReadAnswer(body);
        got =
            QString::number(int(c.outcome)) + u' ' +
            QStringList{c.name, c.code, c.departmentName, c.departmentCode, c.postcodes.join(u',')}
                .join(u'|');
    } else {
        const CadastralParcel p = ParcelService::ReadAnswer(body);
        got = QString::number(int(p.outcome)) + u' ' +
              QStringList{p.idu, p.prefix, p.section, p.number, p.commune, QString::number(p.area)}
                  .join(u'|');
    }
    QCOMPARE(got, read);
}

void MapServicePointFactsTest::routes_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("recorded"); // the stand-in's body
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<QStringList>("off");
    QTest::addColumn<QList<double>>("point");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("asked"); // requests the stand-ins receive

    const QList<double> loctudy{47.8339, -4.1706}, newYork{40.7128, -74.006};
    const auto row = [](const char* name, const char* route, const char* recorded, Reply reply,
                        QList<double> point, const char* status, const QString& message, int asked,
                        const QStringList& off = {}) {
        QTest::newRow(name) << QString::fromLatin1(route) << QString::fromLatin1(recorded) << reply
                            << off << point << QString::fromLatin1(status) << message << asked;
    };
    using enum Reply;
    row("altitude found", "/altitude", "altitude-geocontext-paris", Recorded, loctudy, "found",
        u"Altitude : 34,8 m (RGE ALTI®, IGN)"_qs, 1);
    row("altitude not covered", "/altitude", "altitude-geocontext-not-covered", Recorded, loctudy,
        "none", u"Aucune altitude connue en ce point."_qs, 1);
    row("altitude abroad: not asked", "/altitude", "altitude-geocontext-paris", Recorded, newYork,
        "none", u"Aucune altitude connue en ce point."_qs, 0);
    row("altitude refused", "/altitude", "", TooMany, loctudy, "refused",
        u"Le service d'altitude de l'IGN a refusé la demande (limite d'usage atteinte) : "
        "réessayez dans un moment."_qs,
        1);
    row("altitude service error", "/altitude", "", ServerError, loctudy, "failed",
        u"Le service d'altitude de l'IGN a donné une réponse illisible : réessayez plus tard."_qs,
        1);
    row("altitude off", "/altitude", "", Recorded, loctudy, "off",
        u"Le calcul de l'altitude est désactivé dans la configuration de Tarnel "
        "(tarnel.conf)."_qs,
        0, {u"altitude"_qs});
    row("commune found", "/commune", "commune-geo-api-doc-versailles", Recorded, {48.8014, 2.1301},
        "found", u"Commune : Versailles (INSEE 78646), département 78, code postal 78000"_qs, 1);
    row("commune: none", "/commune", "", Recorded, loctudy, "none",
        u"Ce point n'est dans aucune commune française."_qs, 1);
    row("commune unreadable", "/commune", "", Garbage, loctudy, "failed",
        u"Le service des communes (geo.api.gouv.fr) a donné une réponse illisible : réessayez "
        "plus tard."_qs,
        1);
    row("commune abroad: not asked", "/commune", "", Recorded, newYork, "none",
        u"Ce point n'est dans aucune commune française."_qs, 0);
    row("parcel found", "/parcelle", "parcel-happign-saint-viatre", Recorded, {47.5594, 1.9560},
        "found", u"Parcelle : 000 0A 0075 (Saint-Viâtre), 24 810 m²"_qs, 1);
    row("parcel: none, at sea", "/parcelle", "parcel-apicarto-empty", Recorded, {47.7, -4.5},
        "none", u"Aucune parcelle cadastrale en ce point (voie, mer ou hors de France)."_qs, 1);
    row("parcel unreachable", "/parcelle", "", Recorded, loctudy, "unreachable",
        u"Le service du cadastre de l'IGN (API Carto) est injoignable : vérifiez la connexion à "
        "Internet."_qs,
        0, {u"dead"_qs});
    row("parcel off", "/parcelle", "", Recorded, loctudy, "off",
        u"La recherche de la parcelle est désactivée dans la configuration de Tarnel "
        "(tarnel.conf)."_qs,
        0, {u"parcel"_qs});
}

void MapServicePointFactsTest::routes() {
    QFETCH(QString, route);
    QFETCH(QString, recorded);
    QFETCH(Reply, reply);
    QFETCH(QStringList, off);
    QFETCH(QList<double>, point);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QFETCH(int, asked);

    const std::string path = route == u"/altitude"  ? FactStandIns::kAltitude
                             : route == u"/commune" ? FactStandIns::kCommune
                                                    : FactStandIns::kParcel;
    fake_.reply[path] = reply;
    fake_.body[path] = recorded.isEmpty() ? QByteArray("[]") : Recorded(recorded);
    const auto service = Service(off);
    QVERIFY(service);
    const qsizetype before = fake_.Count();
    const QJsonObject json =
        Get(service->Port(), Target(route.toLatin1().constData(), point[0], point[1]));
    QCOMPARE(json.value(u"status"_qs).toString(), status);
    QCOMPARE(json.value(u"message"_qs).toString(), message);
    QCOMPARE(fake_.Count() - before, asked);
    // Every answer but "off" credits its source.
    QCOMPARE(json.value(u"source"_qs).toString().isEmpty(), status == u"off");
    fake_.reply.clear();
}

void MapServicePointFactsTest::requestsAsTheServicesDocumentThem() {
    fake_.body[FactStandIns::kAltitude] = Recorded(u"altitude-ign-doc-zonly"_qs);
    fake_.body[FactStandIns::kCommune] = "[]";
    fake_.body[FactStandIns::kParcel] = Recorded(u"parcel-happign-chaumont-sur-tharonne"_qs);
    const auto service = Service();
    QVERIFY(service);
    const qsizetype before = fake_.Count();
    // Penmarch: lat and lon swapped would land in the Indian Ocean.
    const QJsonObject parcel = Get(service->Port(), Target("/parcelle", 47.813, -4.344));
    QCOMPARE(parcel.value(u"idu"_qs).toString(), u"41046000AK0279"_qs);
    QCOMPARE(parcel.value(u"area"_qs).toInt(), 15100);
    QCOMPARE(Get(service->Port(), Target("/altitude", 47.813, -4.344)).value(u"metres"_qs), 164.34);
    Get(service->Port(), Target("/commune", 47.813, -4.344));
    const QList<Arrival> arrivals = fake_.Since(before);
    QCOMPARE(arrivals.size(), 3);
    QMap<std::string, QByteArray> targets;
    for (const Arrival& arrival : arrivals) {
        QCOMPARE(QByteArray::fromStdString(arrival.agent), kAgent);
        targets[arrival.path] = arrival.target;
    }
    QCOMPARE(targets[FactStandIns::kAltitude],
             QByteArray("/altimetrie/elevation.json?lon=-4.3440000&lat=47.8130000"
                        "&resource=ign_rge_alti_wld&zonly=true"));
    QCOMPARE(targets[FactStandIns::kCommune],
             QByteArray("/communes?lat=47.8130000&lon=-4.3440000"
                        "&fields=nom,code,codesPostaux,codeDepartement,departement&limit=1"));
    const QByteArray geom = targets[FactStandIns::kParcel];
    QVERIFY(geom.startsWith("/api/cadastre/parcelle?geom="));
    QCOMPARE(QByteArray::fromPercentEncoding(geom.mid(geom.indexOf('=') + 1)),
             QByteArray(R"({"type":"Point","coordinates":[-4.3440000,47.8130000]})"));
}

void MapServicePointFactsTest::answersAreCachedPerPoint() {
    fake_.body[FactStandIns::kAltitude] = Recorded(u"altitude-geocontext-paris"_qs);
    const auto service = Service();
    QVERIFY(service);
    const qsizetype before = fake_.Count();
    // 0.3 m apart: one answer serves both; the third point is another.
    for (const auto& [lat, lon] : {std::pair{48.86667, 2.33333}, std::pair{48.866673, 2.333331},
                                   std::pair{48.86690, 2.33333}})
        QCOMPARE(Get(service->Port(), Target("/altitude", lat, lon)).value(u"status"_qs),
                 u"found"_qs);
    QCOMPARE(fake_.Count() - before, 2);
    // A failure is asked again.
    fake_.reply[FactStandIns::kAltitude] = Reply::ServerError;
    for (int i = 0; i < 2; ++i)
        QCOMPARE(Get(service->Port(), Target("/altitude", 45, 5)).value(u"status"_qs),
                 u"failed"_qs);
    QCOMPARE(fake_.Count() - before, 4);
    fake_.reply.clear();
}

void MapServicePointFactsTest::retryAfterIsHonoured_data() {
    QTest::addColumn<int>("retryAfter"); // seconds the 429 asks for
    QTest::addColumn<bool>("waits");     // the next lookup waits for it, or is refused at once
    QTest::newRow("a second: waited for") << 1 << true;
    QTest::newRow("half a minute: refused without asking") << 30 << false;
}

void MapServicePointFactsTest::retryAfterIsHonoured() {
    QFETCH(int, retryAfter);
    QFETCH(bool, waits);
    fake_.body[FactStandIns::kAltitude] = Recorded(u"altitude-geocontext-paris"_qs);
    fake_.reply[FactStandIns::kAltitude] = Reply::TooMany;
    fake_.retryAfter = retryAfter;
    const auto service = Service();
    QVERIFY(service);
    const qsizetype before = fake_.Count();
    QCOMPARE(Get(service->Port(), Target("/altitude", 45, 5)).value(u"status"_qs), u"refused"_qs);
    fake_.reply.clear();
    const QJsonObject next = Get(service->Port(), Target("/altitude", 45.1, 5));
    const QList<Arrival> arrivals = fake_.Since(before);
    if (waits) {
        QCOMPARE(next.value(u"status"_qs), u"found"_qs);
        QCOMPARE(arrivals.size(), 2);
        QVERIFY(arrivals[1].at - arrivals[0].at >= 950ms);
    } else {
        QCOMPARE(next.value(u"status"_qs), u"refused"_qs);
        QCOMPARE(arrivals.size(), 1);
    }
    fake_.retryAfter = 0;
}

void MapServicePointFactsTest::altitudeTurnsAreTheWholeProgramsAndHalfItsLimit() {
    // As the program builds it: every altitude lookup on the program's own turns.
    QCOMPARE(AltitudeService::AltimetryTurns(), AltitudeService::AltimetryTurns());
    fake_.body[FactStandIns::kAltitude] = Recorded(u"altitude-geocontext-paris"_qs);
    GeocoderEndpoints endpoints;
    endpoints.france.clear();
    endpoints.world.clear();
    endpoints.franceReverse.clear();
    endpoints.worldReverse.clear();
    endpoints.commune.clear();
    endpoints.parcel.clear();
    endpoints.altitude = fake_.server.Url(QLatin1String(FactStandIns::kAltitude));
    const auto first = MakeOpenDataMapService(endpoints);
    const auto second = MakeOpenDataMapService(endpoints);
    QVERIFY(first->Start() && second->Start());
    const qsizetype before = fake_.Count();
    std::vector<std::future<QJsonObject>> asked;
    for (int i = 0; i < 4; ++i)
        asked.push_back(
            std::async(std::launch::async, [port = (i % 2 ? first : second)->Port(), i] {
                return Get(port, Target("/altitude", 46 + i * 0.01, 3));
            }));
    for (auto& answer : asked)
        QCOMPARE(answer.get().value(u"status"_qs), u"found"_qs);
    QList<Arrival> arrivals = fake_.Since(before);
    QCOMPARE(arrivals.size(), 4);
    std::sort(arrivals.begin(), arrivals.end(),
              [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
    // 5 a second is the service's limit: 2.5 a second leaves room for a second program.
    for (qsizetype i = 1; i < arrivals.size(); ++i)
        QVERIFY(arrivals[i].at - arrivals[i - 1].at >= 390ms);
}

void MapServicePointFactsTest::stopEndsLookupsAtOnce() {
    fake_.reply[FactStandIns::kCommune] = Reply::Hang;
    fake_.reply[FactStandIns::kParcel] = Reply::Hang;
    auto service = Service();
    QVERIFY(service);
    std::vector<std::future<QJsonObject>> asked;
    for (const char* route : {"/commune", "/parcelle"})
        asked.push_back(std::async(std::launch::async, [port = service->Port(), route] {
            return Get(port, Target(route, 47, 2));
        }));
    std::this_thread::sleep_for(200ms);
    const auto start = std::chrono::steady_clock::now();
    service.reset();
    QVERIFY(std::chrono::steady_clock::now() - start < 1000ms);
    for (auto& answer : asked)
        QCOMPARE(answer.wait_until(start + 1000ms), std::future_status::ready);
    fake_.reply.clear();
}

QTEST_GUILESS_MAIN(MapServicePointFactsTest)
#include "MapServicePointFactsTest.moc"
