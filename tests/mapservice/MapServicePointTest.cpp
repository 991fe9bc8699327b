// The map page's questions about a point, through the real service on loopback: its forms, and
// the address nearest to it from stand-ins of both reverse searches answering recorded answers.

#include "FakeGeocoderServer.h"
#include "core/CoordinateForms.h"
#include "geocoding/GeoplateformeReverseGeocoder.h"
#include "geocoding/NominatimReverseGeocoder.h"
#include "geocoding/NominatimTurns.h"
#include "mapservice/MapService.h"
#include "tests/support/LoopbackServer.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <atomic>
#include <cmath>
#include <future>
#include <thread>

using namespace tarnel;
using namespace std::chrono_literals;

namespace {

// Recorded answers, in reverse-answers/: the Base Adresse Nationale's documented feature
// (https://adresse.data.gouv.fr/api-doc/adresse, "8 bd du port") in the GeoCodeJSON collection
// its reverse search answers, with the "distance" the Géoplateforme adds
// (geoservices.ign.fr/documentation/services/services-geoplateforme/geocodage); Nominatim's
// documented place (https://nominatim.org/release-docs/latest/api/Output/) in the jsonv2
// naming. Nominatim's 200 for a point without object: osm-search/Nominatim,
// src/nominatim_api/v1/format_json.py (format_base_json).
QByteArray Recorded(const char* name) {
    QFile file(QStringLiteral(TARNEL_REVERSE_ANSWERS "/%1.json").arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
const QByteArray kNational = Recorded("geoplateforme-amiens");
const QByteArray kNominatim = Recorded("nominatim-london");
constexpr auto kNationalNone = R"({"type":"FeatureCollection","version":"draft","features":[]})";
constexpr auto kNominatimNone = R"({"error":"Unable to geocode"})";

// What a reverse search stand-in does in a row.
enum class Upstream { Recorded, None, TooMany, Garbage, Hang, Dead, Off };

// Both reverse searches on loopback. Like the real ones, a request without a readable lat and
// lon gets a 400, and one to Nominatim without an agent of its own a 403; `broken` counts them.
struct FakeReverse {
    FakeReverse() {
        for (const bool national : {true, false}) {
            server.Server().Get(national ? "/geocodage/reverse" : "/reverse",
                                [this, national](const httplib::Request& r, httplib::Response& a) {
                                    Answer(national, r, a);
                                });
        }
        server.Start();
    }
    void Answer(bool national, const httplib::Request& request, httplib::Response& answer) {
        std::unique_lock lock(mutex);
        ++hits[national ? 0 : 1];
        arrivals.append(std::chrono::steady_clock::now());
        last = QByteArray::fromStdString(request.target);
        bool lat = false, lon = false;
        QString::fromStdString(request.get_param_value("lat")).toDouble(&lat);
        QString::fromStdString(request.get_param_value("lon")).toDouble(&lon);
        const bool named = !request.get_header_value("User-Agent").empty();
        if (!lat || !lon || !(national || named)) {
            ++broken;
            answer.status = lat && lon ? 403 : 400;
            return;
        }
        const Upstream behaviour = national ? france : world;
        lock.unlock();
        switch (behaviour) {
        case Upstream::Hang:
            for (int i = 0; i < 500 && !released; ++i)
                std::this_thread::sleep_for(20ms);
            return answer.set_content(kNominatimNone, "application/json");
        case Upstream::None:
            return answer.set_content(national ? kNationalNone : kNominatimNone,
                                      "application/json");
        case Upstream::TooMany:
            answer.status = 429;
            return answer.set_content(R"({"code":429,"message":"Too Many Requests"})",
                                      "application/json");
        case Upstream::Garbage:
            return answer.set_content("<html><body>{\"features\": [ oops", "text/html");
        default:
            return answer.set_content((national ? kNational : kNominatim).toStdString(),
                                      "application/json");
        }
    }

    ~FakeReverse() { released = true; }

    std::mutex mutex;
    std::atomic<bool> released = false;
    Upstream france = Upstream::Recorded;
    Upstream world = Upstream::Recorded;
    int hits[2] = {0, 0}; // national, Nominatim
    int broken = 0;
    QByteArray last;
    QList<std::chrono::steady_clock::time_point> arrivals;
    testing::LoopbackServer server;
};

QJsonObject Get(quint16 port, const std::string& target, int* status = nullptr) {
    httplib::Client client("127.0.0.1", port);
    const httplib::Result result = client.Get(target);
    if (status)
        *status = result ? result->status : 0;
    return result ? QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object()
                  : QJsonObject();
}

// Haversine on the mean radius: an independent reckoning of the geodesic, within 0.5 %.
double RoughMetres(double lat1, double lon1, double lat2, double lon2) {
    const double k = M_PI / 180;
    const double a =
        std::pow(std::sin((lat2 - lat1) * k / 2), 2) +
        std::cos(lat1 * k) * std::cos(lat2 * k) * std::pow(std::sin((lon2 - lon1) * k / 2), 2);
    return 2 * 6371008.8 * std::asin(std::sqrt(a));
}

} // namespace

Q_DECLARE_METATYPE(Upstream)

class MapServicePointTest : public QObject {
    Q_OBJECT

private slots:
    void forms_data();
    void forms();
    void nearestAddress_data();
    void nearestAddress();
    void answersAreCachedPerPoint();
    void nominatimTurnsAreSharedWithSearch();
    void stopEndsLookupsAtOnce();

private:
    std::unique_ptr<MapService> Service(Upstream france, Upstream world);

    FakeReverse fake_;
};

std::unique_ptr<MapService> MapServicePointTest::Service(Upstream france, Upstream world) {
    fake_.france = france;
    fake_.world = world;
    const auto url = [this](Upstream upstream, const char* path) {
        return upstream == Upstream::Dead ? u"http://127.0.0.1:9/"_qs
                                          : fake_.server.Url(QLatin1String(path));
    };
    const HttpLimits limits{1000ms, 1500ms, 256 * 1024};
    const QByteArray agent = "TarnelTest/1.0 (+https://tarnel.example)";
    std::unique_ptr<ReverseGeocoder> national, nominatim;
    if (france != Upstream::Off)
        national = std::make_unique<GeoplateformeReverseGeocoder>(url(france, "/geocodage/reverse"),
                                                                  agent, limits);
    if (world != Upstream::Off)
        nominatim = std::make_unique<NominatimReverseGeocoder>(url(world, "/reverse"), agent,
                                                               NominatimTurns(20ms), limits);
    auto service = std::make_unique<MapService>(nullptr, nullptr, TileLayersOf(),
                                                std::move(national), std::move(nominatim));
    return service->Start() ? std::move(service) : nullptr;
}

void MapServicePointTest::forms_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QList<double>>("point"); // the point answered; none for a 400
    QTest::addColumn<QString>("error");

    const QString unreadable = u"Point illisible : la latitude et la longitude sont attendues en "
                               "degrés décimaux, avec un point (lat=48.8584&lon=2.2945)."_qs;
    const auto row = [](const char* name, const char* query, QList<double> point,
                        const QString& error = {}) {
        QTest::newRow(name) << QByteArray(query) << point << error;
    };
    row("escaped minus, any order", "lon=151.2093&lat=%2D33.8688", {-33.8688, 151.2093});
    row("a pole, the antimeridian", "lat=-90&lon=180", {-90, 180});
    row("world scrolled east", "lat=10&lon=362.5", {10, 2.5});
    row("world scrolled west", "lat=10&lon=-540", {10, -180});
    row("off Earth", "lat=90.0001&lon=0", {},
        u"Ce point n'est pas sur la Terre : la latitude doit être comprise entre -90 et 90 "
        "degrés."_qs);
    row("decimal comma", "lat=48,85&lon=2", {}, unreadable);
    row("exponent, not finite", "lat=4e1&lon=inf", {}, unreadable);
    row("latitude twice", "lat=1&lat=2&lon=3", {}, unreadable);
    row("missing longitude", "lat=48", {}, unreadable);
}

void MapServicePointTest::forms() {
    QFETCH(QByteArray, query);
    QFETCH(QList<double>, point);
    QFETCH(QString, error);

    const auto service = Service(Upstream::Off, Upstream::Off);
    QVERIFY(service);
    int status = 0;
    const QJsonObject json = Get(service->Port(), "/point?" + query.toStdString(), &status);
    QCOMPARE(status, error.isEmpty() ? 200 : 400);
    QCOMPARE(json.value(u"error"_qs).toString(), error);
    QJsonArray expected;
    for (const CoordinateForm& form :
         point.isEmpty() ? QList<CoordinateForm>() : CoordinateForms(point[0], point[1]))
        expected.append(
            QJsonObject{{u"key"_qs, form.key}, {u"name"_qs, form.name}, {u"text"_qs, form.text}});
    QCOMPARE(json.value(u"forms"_qs).toArray(), expected);
}

void MapServicePointTest::nearestAddress_data() {
    QTest::addColumn<Upstream>("france");
    QTest::addColumn<Upstream>("world");
    QTest::addColumn<QList<double>>("point");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message"); // for an address found: what follows its distance
    QTest::addColumn<QList<int>>("hits"); // national, Nominatim

    using enum Upstream;
    const auto row = [](const char* name, Upstream france, Upstream world, QList<double> point,
                        const char* status, const QString& message, QList<int> hits) {
        QTest::newRow(name) << france << world << point << QString::fromLatin1(status) << message
                            << hits;
    };
    const QString amiens = u" : 8 Boulevard du Port 80000 Amiens."_qs;
    const QString london = u" : London, Greater London, England, SW1A 2DU, United Kingdom."_qs;
    const QString services = u"Les services de recherche d'adresses "_qs;
    const QList<double> inAmiens{49.8975, 2.2901}, atSea{0, -30};
    row("France: the national base", Recorded, Recorded, inAmiens, "found", amiens, {1, 0});
    row("abroad: Nominatim only", Recorded, Recorded, {51.5074, -0.1278}, "found", london, {0, 1});
    row("near a border: the nearer", Recorded, Recorded, {51, 1}, "found", london, {1, 1});
    row("France, national base knows none", None, Recorded, inAmiens, "found", london, {1, 1});
    row("open sea", Recorded, None, atSea, "none", u"Aucune adresse connue à proximité."_qs,
        {0, 1});
    row("refused", Recorded, TooMany, atSea, "refused",
        services +
            u"ont refusé la demande (limite d'usage atteinte) : réessayez dans un moment."_qs,
        {0, 1});
    row("unreadable", Recorded, Garbage, atSea, "failed",
        services + u"ont donné une réponse illisible : réessayez plus tard."_qs, {0, 1});
    row("offline beats knowing none", None, Dead, inAmiens, "unreachable",
        services + u"sont injoignables : vérifiez la connexion à Internet."_qs, {1, 0});
    row("both switched off", Off, Off, inAmiens, "off",
        u"La recherche d'adresses est désactivée dans la configuration de Tarnel "
        "(tarnel.conf)."_qs,
        {0, 0});
}

void MapServicePointTest::nearestAddress() {
    QFETCH(Upstream, france);
    QFETCH(Upstream, world);
    QFETCH(QList<double>, point);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QFETCH(QList<int>, hits);

    const QList<int> before{fake_.hits[0], fake_.hits[1]};
    const auto service = Service(france, world);
    QVERIFY(service);
    const QJsonObject json =
        Get(service->Port(),
            QStringLiteral("/adresse?lat=%1&lon=%2").arg(point[0]).arg(point[1]).toStdString());
    QCOMPARE(json.value(u"status"_qs).toString(), status);
    QCOMPARE((QList<int>{fake_.hits[0] - before[0], fake_.hits[1] - before[1]}), hits);
    QCOMPARE(fake_.broken, 0);
    if (status != u"found") {
        QCOMPARE(json, (QJsonObject{{u"status"_qs, status}, {u"message"_qs, message}}));
        return;
    }
    const bool amiens = message.contains(u"Amiens");
    QStringList parts;
    for (const char* key : {"street", "city", "postcode", "country", "source"})
        parts.append(json.value(QLatin1String(key)).toString());
    QCOMPARE(parts,
             (amiens
                  ? QStringList{u"8 Boulevard du Port"_qs, u"Amiens"_qs, u"80000"_qs, u"France"_qs,
                                u"Base Adresse Nationale"_qs}
                  : QStringList{
                        {}, u"London"_qs, u"SW1A 2DU"_qs, u"United Kingdom"_qs, u"Nominatim"_qs}));
    const double metres = amiens ? RoughMetres(point[0], point[1], 49.897443, 2.290084)
                                 : RoughMetres(point[0], point[1], 51.5073219, -0.1276474);
    const double distance = json.value(u"distance"_qs).toDouble();
    QVERIFY2(std::abs(distance - metres) <= 0.005 * metres + 0.1,
             qPrintable(QStringLiteral("%1 m, about %2 m expected").arg(distance).arg(metres)));
    const QString said = json.value(u"message"_qs).toString();
    QVERIFY2(said.startsWith(u"Adresse la plus proche, à ") && said.endsWith(message),
             qPrintable(said));
}

void MapServicePointTest::answersAreCachedPerPoint() {
    const auto service = Service(Upstream::Off, Upstream::Recorded);
    QVERIFY(service);
    const int before = fake_.hits[1];
    // The second point lies 0.3 m from the first: one answer serves both; the third does not.
    for (const char* target :
         {"/adresse?lat=51.50740&lon=-0.12780", "/adresse?lat=51.507403&lon=-0.127801",
          "/adresse?lat=51.50760&lon=-0.12780"})
        QCOMPARE(Get(service->Port(), target).value(u"status"_qs), u"found"_qs);
    QCOMPARE(fake_.hits[1] - before, 2);
    QVERIFY(fake_.last.startsWith(
        "/reverse?format=jsonv2&lat=51.5076000&lon=-0.1278000&addressdetails=1"));
    // A refusal is asked again.
    fake_.world = Upstream::TooMany;
    for (int i = 0; i < 2; ++i)
        QCOMPARE(Get(service->Port(), "/adresse?lat=10&lon=10").value(u"status"_qs), u"refused"_qs);
    QCOMPARE(fake_.hits[1] - before, 4);
}

void MapServicePointTest::nominatimTurnsAreSharedWithSearch() {
    // As the program builds it: Nominatim's search and reverse search on one turn a second.
    FakeGeocoderServer search;
    GeocoderEndpoints endpoints;
    endpoints.france.clear();
    endpoints.franceReverse.clear();
    endpoints.world = search.SearchUrl(FakeGeocoderServer::Endpoint::Nominatim);
    endpoints.worldReverse = fake_.server.Url(u"/reverse"_qs);
    fake_.world = Upstream::Recorded;
    const auto service = MakeOpenDataMapService(endpoints);
    QVERIFY(service->Start());
    const int before = fake_.arrivals.size();
    std::vector<std::future<QJsonObject>> asked;
    for (const char* target : {"/maps?q=10%20Downing%20Street%2C%20London%2C%20Royaume-Uni",
                               "/adresse?lat=1&lon=1", "/adresse?lat=2&lon=2"})
        asked.push_back(std::async(std::launch::async,
                                   [port = service->Port(), target] { return Get(port, target); }));
    for (auto& answer : asked)
        answer.wait();
    QList<std::chrono::steady_clock::time_point> arrivals =
        fake_.arrivals.mid(before) + search.Arrivals();
    QCOMPARE(arrivals.size(), 3);
    std::sort(arrivals.begin(), arrivals.end());
    for (qsizetype i = 1; i < arrivals.size(); ++i)
        QVERIFY(arrivals[i] - arrivals[i - 1] >= 950ms);
}

void MapServicePointTest::stopEndsLookupsAtOnce() {
    // One lookup held upstream, one waiting for its turn, both far from their own time limits.
    fake_.world = Upstream::Hang;
    auto service =
        std::make_unique<MapService>(nullptr, nullptr, TileLayersOf(), nullptr,
                                     std::make_unique<NominatimReverseGeocoder>(
                                         fake_.server.Url(u"/reverse"_qs), "TarnelTest",
                                         NominatimTurns(4000ms), HttpLimits{1000ms, 8000ms, 1024}));
    QVERIFY(service->Start());
    std::vector<std::future<QJsonObject>> asked;
    for (const char* target : {"/adresse?lat=5&lon=5", "/adresse?lat=6&lon=6"}) {
        asked.push_back(std::async(std::launch::async,
                                   [port = service->Port(), target] { return Get(port, target); }));
        std::this_thread::sleep_for(150ms);
    }
    const auto start = std::chrono::steady_clock::now();
    service.reset();
    QVERIFY(std::chrono::steady_clock::now() - start < 1000ms);
    for (auto& answer : asked)
        QCOMPARE(answer.wait_until(start + 1000ms), std::future_status::ready);
}

QTEST_GUILESS_MAIN(MapServicePointTest)
#include "MapServicePointTest.moc"
