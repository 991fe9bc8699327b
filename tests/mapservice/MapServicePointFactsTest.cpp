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
enum class Reply { Recorded, TooMany, ServerError, Hang };

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
    void answers_data();
    void answers();
    void requestsAsTheServicesDocumentThem();
    void answersAreCachedPerPoint();
    void retryAfterIsHonoured_data();
    void retryAfterIsHonoured();
    void altitudeTurnsAreTheWholeProgramsAndHalfItsLimit();
    void stopEndsLookupsAtOnce();

private:
    // The real service asking the stand-ins; a service named in `off` is switched off, and
    // "dead" puts the parcel's where nothing answers.
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
    facts.commune = std::make_unique<CommuneService>(url(FactStandIns::kCommune), kAgent, kLimits,
                                                     QuickTurns());
    if (!off.contains(u"parcel"))
        facts.parcel = std::make_unique<ParcelService>(
            off.contains(u"dead") ? u"http://127.0.0.1:9/parcelle"_qs : url(FactStandIns::kParcel),
            kAgent, kLimits, QuickTurns());
    auto service = std::make_unique<MapService>(nullptr, nullptr, TileLayersOf(), nullptr, nullptr,
                                                std::move(facts));
    return service->Start() ? std::move(service) : nullptr;
}

void MapServicePointFactsTest::answers_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<QByteArray>("body"); // "@name": point-facts/name.json
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<QStringList>("off");
    QTest::addColumn<QList<double>>("point");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("asked"); // requests the stand-ins receive

    const QList<double> loctudy{47.8339, -4.1706}, newYork{40.7128, -74.006};
    const QString alti = u"Le service d'altitude de l'IGN"_qs;
    const QString communes = u"Le service des communes (geo.api.gouv.fr)"_qs;
    const QString unreadable = u" a donné une réponse illisible : réessayez plus tard."_qs;
    const QString noAltitude = u"Aucune altitude connue en ce point."_qs;
    const QString noCommune = u"Ce point n'est dans aucune commune française."_qs;
    const auto row = [&](const char* name, const char* route, const QByteArray& body,
                         const char* status, const QString& message, Reply reply = Reply::Recorded,
                         QList<double> point = {}, int asked = 1, const QStringList& off = {}) {
        QTest::newRow(name) << QString::fromLatin1(route) << body << reply << off
                            << (point.isEmpty() ? loctudy : point) << QString::fromLatin1(status)
                            << message << asked;
    };
    const QString paris = u"Altitude : 34,8 m (RGE ALTI®, IGN)"_qs;
    const QString toulouse = u"Altitude : 164,3 m (RGE ALTI®, IGN)"_qs;
    row("altitude", "/altitude", "@altitude-geocontext-paris", "found", paris);
    row("altitude, IGN's example, bare", "/altitude", "@altitude-ign-doc-zonly", "found", toulouse);
    row("altitude, IGN's example", "/altitude", "@altitude-ign-doc-extended", "found", toulouse);
    row("altitude not covered: -99999", "/altitude", "@altitude-geocontext-not-covered", "none",
        noAltitude);
    row("IGN widgets' no-data range", "/altitude", R"({"elevations":[-10000.5]})", "none",
        noAltitude);
    // The error the former service answered with a 200, as IGN's access library quotes it
    // (IGNF/geoportal-access-lib, test/end-to-end/spec-messages/test_Services_Alti.js).
    row("former service's error", "/altitude",
        R"({"error": {"code": "BAD_PARAMETER","description": "The values () cannot be parsed as a valid longitude (double value such as -180 < lat < 180)."}})",
        "failed", alti + unreadable);
    row("altitude as text", "/altitude", R"({"elevations":["12.5"]})", "failed", alti + unreadable);
    row("altitude no ground has", "/altitude", R"({"elevations":[12000]})", "failed",
        alti + unreadable);
    row("altitude abroad: not asked", "/altitude", "", "none", noAltitude, Reply::Recorded, newYork,
        0);
    row("altitude refused", "/altitude", "", "refused",
        alti + u" a refusé la demande (limite d'usage atteinte) : réessayez dans un moment."_qs,
        Reply::TooMany);
    row("altitude service error", "/altitude", "", "failed", alti + unreadable, Reply::ServerError);
    row("altitude off", "/altitude", "", "off",
        u"Le calcul de l'altitude est désactivé dans la configuration de Tarnel (tarnel.conf)."_qs,
        Reply::Recorded, {}, 0, {u"altitude"_qs});
    row("commune", "/commune", "@commune-geo-api-doc-versailles", "found",
        u"Commune : Versailles (INSEE 78646), département 78, code postal 78000"_qs);
    // With "departement" among the fields, as datagouv/api-geo lib/communeHelpers.js adds it.
    row("commune with its department", "/commune",
        R"([{"nom":"Loctudy","code":"29135","codesPostaux":["29750"],"departement":{"code":"29","nom":"Finistère"}}])",
        "found", u"Commune : Loctudy (INSEE 29135), Finistère (29), code postal 29750"_qs);
    row("no commune", "/commune", "[]", "none", noCommune);
    const QByteArray versailles = Recorded(u"commune-geo-api-doc-versailles"_qs).trimmed();
    row("every commune: the filter was dropped", "/commune",
        versailles.chopped(1) + ',' + versailles.mid(1), "failed", communes + unreadable);
    row("commune without its code", "/commune", R"([{"nom":"Versailles"}])", "failed",
        communes + unreadable);
    row("commune unreadable", "/commune", "<html><body>[{\"nom\": oops", "failed",
        communes + unreadable);
    row("commune abroad: not asked", "/commune", "", "none", noCommune, Reply::Recorded, newYork,
        0);
    row("parcel", "/parcelle", "@parcel-happign-saint-viatre", "found",
        u"Parcelle : 000 0A 0075 (Saint-Viâtre), 24 810 m²"_qs);
    row("no parcel: at sea", "/parcelle", "@parcel-apicarto-empty", "none",
        u"Aucune parcelle cadastrale en ce point (voie, mer ou hors de France)."_qs);
    row("parcel without its number", "/parcelle",
        R"({"type":"FeatureCollection","features":[{"properties":{"section":"AX"}}]})", "failed",
        u"Le service du cadastre de l'IGN (API Carto)"_qs + unreadable);
    row("parcel unreachable", "/parcelle", "", "unreachable",
        u"Le service du cadastre de l'IGN (API Carto) est injoignable : vérifiez la connexion à "
        "Internet."_qs,
        Reply::Recorded, {}, 0, {u"dead"_qs});
    row("parcel off", "/parcelle", "", "off",
        u"La recherche de la parcelle est désactivée dans la configuration de Tarnel "
        "(tarnel.conf)."_qs,
        Reply::Recorded, {}, 0, {u"parcel"_qs});
}

void MapServicePointFactsTest::answers() {
    QFETCH(QString, route);
    QFETCH(QByteArray, body);
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
    fake_.body[path] = body.startsWith('@') ? Recorded(QString::fromLatin1(body.mid(1))) : body;
    const auto service = Service(off);
    QVERIFY(service);
    const qsizetype before = fake_.Count();
    const QJsonObject json =
        Get(service->Port(), Target(route.toLatin1().constData(), point[0], point[1]));
    QCOMPARE(json.value(u"status"_qs).toString(), status);
    QCOMPARE(json.value(u"message"_qs).toString(), message);
    QCOMPARE(fake_.Count() - before, asked);
    // Every answer but "off" credits its source; a parcel found gives its identifier to copy.
    QCOMPARE(json.value(u"source"_qs).toString().isEmpty(), status == u"off");
    if (route == u"/parcelle" && status == u"found")
        QCOMPARE(json.value(u"idu"_qs).toString(), u"412310000A0075"_qs);
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
                        "&fields=nom,code,codesPostaux,codeDepartement,departement"));
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
    for (const double lat : {48.86667, 48.866673, 48.8669})
        QCOMPARE(Get(service->Port(), Target("/altitude", lat, 2.33333)).value(u"status"_qs),
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
