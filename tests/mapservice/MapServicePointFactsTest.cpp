// A point's altitude, commune and parcel: the service's routes on loopback with stand-ins of the
// three services replaying recorded answers (point-facts/SOURCES.md names where each comes
// from): what the panel is told, what the services are asked, how often, and what a refusal or
// a stop does.

#include "mapservice/MapService.h"
#include "tests/support/LoopbackServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <array>
#include <future>
#include <mutex>
#include <thread>

using namespace tarnel;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

QByteArray Recorded(const char* name) {
    QFile file(QStringLiteral(TARNEL_POINT_FACTS "/%1.json").arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kAgent = "TarnelTest/1.0 (+https://tarnel.example)";
enum Fact { kAltitude, kCommune, kParcel };
constexpr std::array kPaths{"/altimetrie/elevation.json", "/communes", "/api/cadastre/parcelle"};

// The three services on loopback, each answering `status[fact]` with `body[fact]` (0: hangs
// until the stand-ins go, 429: the Géoplateforme's refusal with `retryAfter`), noting each
// request.
struct StandIns {
    struct Arrival {
        QByteArray target, agent;
        Clock::time_point at;
    };
    StandIns() {
        for (const int fact : {kAltitude, kCommune, kParcel}) {
            server.Server().Get(kPaths[fact], [this, fact](const httplib::Request& request,
                                                           httplib::Response& response) {
                std::unique_lock lock(mutex);
                arrivals.append({QByteArray::fromStdString(request.target),
                                 QByteArray::fromStdString(request.get_header_value("User-Agent")),
                                 Clock::now()});
                response.status = status[fact];
                std::string answer = body[fact].toStdString();
                lock.unlock();
                for (int i = 0; response.status == 0 && i < 500 && !released; ++i)
                    std::this_thread::sleep_for(20ms);
                if (response.status == 429) {
                    answer = R"({"code":429,"message":"Too Many Requests"})";
                    if (retryAfter > 0)
                        response.set_header("Retry-After", std::to_string(retryAfter));
                }
                response.set_content(answer, "application/json");
            });
        }
        server.Start();
    }
    ~StandIns() { released = true; }
    QList<Arrival> Since(qsizetype first) {
        const std::lock_guard lock(mutex);
        return arrivals.mid(first);
    }

    std::mutex mutex;
    std::atomic<bool> released = false;
    std::array<int, 3> status{200, 200, 200};
    std::array<QByteArray, 3> body;
    int retryAfter = 0;
    QList<Arrival> arrivals;
    testing::LoopbackServer server;
};

QJsonObject Ask(quint16 port, const char* route, double lat, double lon) {
    const auto target = u"%1?lat=%2&lon=%3"_qs.arg(QLatin1String(route)).arg(lat).arg(lon);
    const auto result = httplib::Client("127.0.0.1", port).Get(target.toStdString());
    return result ? QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object()
                  : QJsonObject();
}

// The real service asking the stand-ins; `off` names a service switched off, or "dead" puts the
// parcel's where nothing answers.
std::unique_ptr<MapService> Service(const StandIns& fake, const QString& off = {}) {
    const HttpLimits limits{1000ms, 1500ms, 256 * 1024};
    // Quick turns: the altitude's own are tried below.
    const auto quickTurns = [] {
        return std::make_shared<RateLimiter>(1ms, 3000ms);
    };
    const auto url = [&fake](Fact fact) {
        return fake.server.Url(QLatin1String(kPaths[fact]));
    };
    PointFactServices facts;
    if (off != u"altitude")
        facts.altitude =
            std::make_unique<AltitudeService>(url(kAltitude), kAgent, limits, quickTurns());
    facts.commune = std::make_unique<CommuneService>(url(kCommune), kAgent, limits, quickTurns());
    if (off != u"parcel")
        facts.parcel = std::make_unique<ParcelService>(
            off == u"dead" ? u"http://127.0.0.1:9/parcelle"_qs : url(kParcel), kAgent, limits,
            quickTurns());
    auto service = std::make_unique<MapService>(nullptr, nullptr, TileLayersOf(), nullptr, nullptr,
                                                std::move(facts));
    return service->Start() ? std::move(service) : nullptr;
}

} // namespace

class MapServicePointFactsTest : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void retryAfterIsHonoured_data();
    void retryAfterIsHonoured();
    void altitudeTurnsAreTheWholeProgramsAndHalfItsLimit();
    void stopEndsLookupsAtOnce();

private:
    StandIns fake_;
};

void MapServicePointFactsTest::answers_data() {
    QTest::addColumn<int>("fact");
    QTest::addColumn<QByteArray>("body"); // "@name": point-facts/name.json
    // "429": the stand-in refuses; "abroad": a point out of France; else the service switched off
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("asked"); // the request received, percent-decoded

    const QString unreadable = u" a donné une réponse illisible : réessayez plus tard."_qs;
    const QString alti = u"Le service d'altitude de l'IGN"_qs + unreadable;
    const QString communes = u"Le service des communes (geo.api.gouv.fr)"_qs + unreadable;
    const QString noAltitude = u"Aucune altitude connue en ce point."_qs;
    const QString noCommune = u"Ce point n'est dans aucune commune française."_qs;
    const auto row = [](const char* name, Fact fact, const QByteArray& body, const char* status,
                        const QString& message, const QString& how = {},
                        const QByteArray& asked = {}) {
        QTest::newRow(name) << int(fact) << body << how << QString::fromLatin1(status) << message
                            << asked;
    };
    const QString toulouse = u"Altitude : 164,3 m (RGE ALTI®, IGN)"_qs;
    row("altitude", kAltitude, "@altitude-ign-doc-zonly", "found", toulouse, {},
        "/altimetrie/elevation.json?lon=1.4000000&lat=45.0000000&resource=ign_rge_alti_wld"
        "&zonly=true");
    row("altitude, full answer", kAltitude, "@altitude-ign-doc-extended", "found", toulouse);
    row("altitude not covered: -99999", kAltitude, "@altitude-geocontext-not-covered", "none",
        noAltitude);
    // The error the former service answered with a 200, as IGN's access library quotes it
    // (IGNF/geoportal-access-lib, test/end-to-end/spec-messages/test_Services_Alti.js).
    row("former service's error", kAltitude,
        R"({"error": {"code": "BAD_PARAMETER","description": "The values () cannot be parsed as a valid longitude (double value such as -180 < lat < 180)."}})",
        "failed", alti);
    row("altitude abroad: not asked", kAltitude, "", "none", noAltitude, u"abroad"_qs);
    row("altitude refused", kAltitude, "", "refused",
        u"Le service d'altitude de l'IGN a refusé la demande (limite d'usage atteinte) : "
        "réessayez dans un moment."_qs,
        u"429"_qs);
    row("altitude off", kAltitude, "", "off",
        u"Le calcul de l'altitude est désactivé dans la configuration de Tarnel (tarnel.conf)."_qs,
        u"altitude"_qs);
    row("commune", kCommune, "@commune-geo-api-doc-versailles", "found",
        u"Commune : Versailles (INSEE 78646), département 78, code postal 78000"_qs, {},
        "/communes?lat=45.0000000&lon=1.4000000"
        "&fields=nom,code,codesPostaux,codeDepartement,departement");
    row("no commune", kCommune, "[]", "none", noCommune);
    const QByteArray versailles = Recorded("commune-geo-api-doc-versailles").trimmed();
    row("every commune: the filter was dropped", kCommune,
        versailles.chopped(1) + ',' + versailles.mid(1), "failed", communes);
    row("commune abroad: not asked", kCommune, "", "none", noCommune, u"abroad"_qs);
    row("parcel", kParcel, "@parcel-happign-saint-viatre", "found",
        u"Parcelle : 000 0A 0075 (Saint-Viâtre), 24 810 m²"_qs, {},
        R"(/api/cadastre/parcelle?geom={"type":"Point","coordinates":[1.4000000,45.0000000]})");
    row("another parcel", kParcel, "@parcel-happign-chaumont-sur-tharonne", "found",
        u"Parcelle : 000 AK 0279 (Chaumont-sur-Tharonne), 15 100 m²"_qs);
    row("no parcel: at sea", kParcel, "@parcel-apicarto-empty", "none",
        u"Aucune parcelle cadastrale en ce point (voie, mer ou hors de France)."_qs);
    row("parcel unreachable", kParcel, "", "unreachable",
        u"Le service du cadastre de l'IGN (API Carto) est injoignable : vérifiez la connexion à "
        "Internet."_qs,
        u"dead"_qs);
}

void MapServicePointFactsTest::answers() {
    QFETCH(int, fact);
    QFETCH(QByteArray, body);
    QFETCH(QString, how);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QFETCH(QByteArray, asked);
    fake_.status[fact] = how == u"429" ? 429 : 200;
    fake_.body[fact] = body.startsWith('@') ? Recorded(body.mid(1).constData()) : body;
    const auto service = Service(fake_, how);
    QVERIFY(service);
    const qsizetype before = fake_.Since(0).size();
    const QJsonObject json =
        Ask(service->Port(), std::array{"/altitude", "/commune", "/parcelle"}[fact],
            how == u"abroad" ? 40.7 : 45, how == u"abroad" ? -74 : 1.4);
    fake_.status[fact] = 200;
    QCOMPARE(json[u"status"_qs], status);
    QCOMPARE(json[u"message"_qs], message);
    // Only a point in France is asked about, only of a service switched on, as documented
    // (longitude and latitude never swapped) and by the program's name.
    const QList<StandIns::Arrival> arrivals = fake_.Since(before);
    QCOMPARE(arrivals.size(), qsizetype(how.isEmpty() || how == u"429"));
    for (const StandIns::Arrival& arrival : arrivals)
        QCOMPARE(arrival.agent, kAgent);
    if (!asked.isEmpty())
        QCOMPARE(QByteArray::fromPercentEncoding(arrivals[0].target), asked);
    // Every answer but "off" credits its source; a parcel found gives its identifier to copy.
    QCOMPARE(json[u"source"_qs].toString().isEmpty(), status == u"off");
    if (fact == kParcel && status == u"found")
        QCOMPARE(json[u"idu"_qs],
                 QJsonDocument::fromJson(
                     fake_.body[fact])[u"features"_qs][0][u"properties"_qs][u"idu"_qs]);
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
    fake_.body[kAltitude] = Recorded("altitude-geocontext-paris");
    fake_.status[kAltitude] = 429;
    fake_.retryAfter = retryAfter;
    const auto service = Service(fake_);
    QVERIFY(service);
    const qsizetype before = fake_.Since(0).size();
    QCOMPARE(Ask(service->Port(), "/altitude", 45, 5)[u"status"_qs], u"refused"_qs);
    fake_.status[kAltitude] = 200;
    fake_.retryAfter = 0;
    // A refusal is not kept for the point: asked again once the wait is over.
    QCOMPARE(Ask(service->Port(), "/altitude", 45, 5)[u"status"_qs],
             waits ? u"found"_qs : u"refused"_qs);
    // 0.3 m away: the same point, answered from the cache.
    QCOMPARE(Ask(service->Port(), "/altitude", 45.000003, 5)[u"status"_qs],
             waits ? u"found"_qs : u"refused"_qs);
    const QList<StandIns::Arrival> arrivals = fake_.Since(before);
    QCOMPARE(arrivals.size(), waits ? 2 : 1);
    QVERIFY(!waits || arrivals[1].at - arrivals[0].at >= 950ms);
}

void MapServicePointFactsTest::altitudeTurnsAreTheWholeProgramsAndHalfItsLimit() {
    // Two services as the program builds them, asking only the altitude stand-in.
    fake_.body[kAltitude] = Recorded("altitude-geocontext-paris");
    GeocoderEndpoints endpoints;
    endpoints.france = endpoints.world = endpoints.franceReverse = endpoints.worldReverse =
        endpoints.commune = endpoints.parcel = QString();
    endpoints.altitude = fake_.server.Url(QLatin1String(kPaths[kAltitude]));
    const auto first = MakeOpenDataMapService(endpoints);
    const auto second = MakeOpenDataMapService(endpoints);
    QVERIFY(first->Start() && second->Start());
    const qsizetype before = fake_.Since(0).size();
    // Each lookup on the other service: their turns alternate.
    for (int i = 0; i < 4; ++i)
        QCOMPARE(Ask((i % 2 ? first : second)->Port(), "/altitude", 46 + i * 0.01, 3)[u"status"_qs],
                 u"found"_qs);
    const QList<StandIns::Arrival> arrivals = fake_.Since(before);
    QCOMPARE(arrivals.size(), 4);
    // 5 a second is the service's limit: 2.5 a second leaves room for a second program.
    for (qsizetype i = 1; i < arrivals.size(); ++i)
        QVERIFY(arrivals[i].at - arrivals[i - 1].at >= 390ms);
}

void MapServicePointFactsTest::stopEndsLookupsAtOnce() {
    fake_.status = {200, 0, 0};
    auto service = Service(fake_);
    QVERIFY(service);
    std::vector<std::future<QJsonObject>> asked;
    for (const char* route : {"/commune", "/parcelle"})
        asked.push_back(std::async(std::launch::async, [port = service->Port(), route] {
            return Ask(port, route, 47, 2);
        }));
    std::this_thread::sleep_for(200ms);
    const auto start = Clock::now();
    service.reset();
    QVERIFY(Clock::now() - start < 1000ms);
    for (auto& answer : asked)
        QCOMPARE(answer.wait_until(start + 1000ms), std::future_status::ready);
    fake_.status = {200, 200, 200};
}

QTEST_GUILESS_MAIN(MapServicePointFactsTest)
#include "MapServicePointFactsTest.moc"
