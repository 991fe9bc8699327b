// The map page's questions about a point, through the real service on loopback: its forms, the
// address nearest to it from loopback stand-ins of both reverse searches, and the guards.

#include "FakeGeocoderServer.h"
#include "FakeReverseServer.h"
#include "core/CoordinateForms.h"
#include "mapservice/GeoplateformeReverseGeocoder.h"
#include "mapservice/MapService.h"
#include "mapservice/NominatimReverseGeocoder.h"
#include "mapservice/NominatimTurns.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <cmath>
#include <future>

using namespace tarnel;
using namespace std::chrono_literals;
using Reverse = FakeReverseServer::Endpoint;
using Answer = FakeReverseServer::Answer;

namespace {

const QByteArray kAgent = "TarnelTest/1.0 (+https://tarnel.example)";
constexpr HttpLimits kLimits{1000ms, 1500ms, 256 * 1024};
// A loopback port nothing listens on.
const QString kDeadUrl = QStringLiteral("http://127.0.0.1:9/reverse");

// What a reverse search stand-in does in a row: answer, be unreachable, or be switched off.
enum class Upstream { Recorded, Nothing, TooMany, Garbage, Dead, Off };

struct Reply {
    int status = 0;
    QJsonObject json;
};

Reply Get(quint16 port, const std::string& target, const httplib::Headers& headers = {}) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10, 0);
    const httplib::Result result = client.Get(target, headers);
    if (!result) {
        return {};
    }
    return {result->status,
            QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object()};
}

// Haversine on the mean radius: an independent reckoning of the geodesic, within 0.5 %.
double RoughMetres(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kRadians = M_PI / 180;
    const double a = std::pow(std::sin((lat2 - lat1) * kRadians / 2), 2) +
                     std::cos(lat1 * kRadians) * std::cos(lat2 * kRadians) *
                         std::pow(std::sin((lon2 - lon1) * kRadians / 2), 2);
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
    void guards_data();
    void guards();

private:
    std::unique_ptr<MapService> Service(Upstream france, Upstream world);

    FakeReverseServer fake_;
};

std::unique_ptr<MapService> MapServicePointTest::Service(Upstream france, Upstream world) {
    const auto answer = [](Upstream upstream) {
        switch (upstream) {
        case Upstream::Nothing:
            return Answer::Nothing;
        case Upstream::TooMany:
            return Answer::TooManyRequests;
        case Upstream::Garbage:
            return Answer::Garbage;
        default:
            return Answer::Recorded;
        }
    };
    fake_.Set(Reverse::National, answer(france));
    fake_.Set(Reverse::Nominatim, answer(world));
    std::unique_ptr<ReverseGeocoder> national;
    if (france != Upstream::Off) {
        national = std::make_unique<GeoplateformeReverseGeocoder>(
            france == Upstream::Dead ? kDeadUrl : fake_.Url(Reverse::National), kAgent, kLimits);
    }
    std::unique_ptr<ReverseGeocoder> nominatim;
    if (world != Upstream::Off) {
        nominatim = std::make_unique<NominatimReverseGeocoder>(
            world == Upstream::Dead ? kDeadUrl : fake_.Url(Reverse::Nominatim), kAgent,
            NominatimTurns(20ms), kLimits);
    }
    auto service =
        std::make_unique<MapService>(nullptr, nullptr, std::move(national), std::move(nominatim));
    return service->Start() ? std::move(service) : nullptr;
}

void MapServicePointTest::forms_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<int>("status");
    QTest::addColumn<double>("latitude"); // of the point answered, when 200
    QTest::addColumn<double>("longitude");
    QTest::addColumn<QString>("error");

    const QString unreadable = QStringLiteral("Point illisible : la latitude et la longitude sont "
                                              "attendues en degrés décimaux, avec un point "
                                              "(lat=48.8584&lon=2.2945).");
    const QString offEarth = QStringLiteral("Ce point n'est pas sur la Terre : la latitude doit "
                                            "être comprise entre -90 et 90 degrés.");
    QTest::newRow("Eiffel tower") << QByteArray("lat=48.8584&lon=2.2945") << 200 << 48.8584
                                  << 2.2945 << QString();
    QTest::newRow("escaped minus, order")
        << QByteArray("lon=151.2093&lat=%2D33.8688") << 200 << -33.8688 << 151.2093 << QString();
    QTest::newRow("a pole, the antimeridian")
        << QByteArray("lat=-90&lon=180") << 200 << -90.0 << 180.0 << QString();
    QTest::newRow("world scrolled east")
        << QByteArray("lat=10&lon=362.5") << 200 << 10.0 << 2.5 << QString();
    QTest::newRow("world scrolled west")
        << QByteArray("lat=10&lon=-540") << 200 << 10.0 << -180.0 << QString();
    QTest::newRow("off Earth") << QByteArray("lat=90.0001&lon=0") << 400 << 0.0 << 0.0 << offEarth;
    QTest::newRow("decimal comma")
        << QByteArray("lat=48,85&lon=2") << 400 << 0.0 << 0.0 << unreadable;
    QTest::newRow("exponent") << QByteArray("lat=4e1&lon=2") << 400 << 0.0 << 0.0 << unreadable;
    QTest::newRow("not finite") << QByteArray("lat=nan&lon=inf") << 400 << 0.0 << 0.0 << unreadable;
    QTest::newRow("missing longitude") << QByteArray("lat=48") << 400 << 0.0 << 0.0 << unreadable;
    QTest::newRow("latitude twice")
        << QByteArray("lat=1&lat=2&lon=3") << 400 << 0.0 << 0.0 << unreadable;
    QTest::newRow("no query") << QByteArray() << 400 << 0.0 << 0.0 << unreadable;
}

void MapServicePointTest::forms() {
    QFETCH(QByteArray, query);
    QFETCH(int, status);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(QString, error);

    const auto service = Service(Upstream::Off, Upstream::Off);
    QVERIFY(service);
    const Reply reply = Get(service->Port(), "/point?" + query.toStdString());
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.json.value(u"error"_qs).toString(), error);
    if (status != 200)
        return;
    QJsonArray expected;
    for (const CoordinateForm& form : CoordinateForms(latitude, longitude))
        expected.append(
            QJsonObject{{u"key"_qs, form.key}, {u"name"_qs, form.name}, {u"text"_qs, form.text}});
    QCOMPARE(reply.json.value(u"forms"_qs).toArray(), expected);
}

void MapServicePointTest::nearestAddress_data() {
    QTest::addColumn<Upstream>("france");
    QTest::addColumn<Upstream>("world");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("message");   // for a found address: what follows its distance
    QTest::addColumn<QStringList>("parts"); // street, city, postcode, country, source
    QTest::addColumn<int>("nationalHits");
    QTest::addColumn<int>("nominatimHits");

    const QStringList amiens{u"8 Boulevard du Port"_qs, u"Amiens"_qs, u"80000"_qs, u"France"_qs,
                             u"Base Adresse Nationale"_qs};
    const QStringList london{QString(), u"London"_qs, u"SW1A 2DU"_qs, u"United Kingdom"_qs,
                             u"Nominatim"_qs};
    const QString amiensLabel = u" : 8 Boulevard du Port 80000 Amiens."_qs;
    const QString londonLabel = u" : London, Greater London, England, SW1A 2DU, United Kingdom."_qs;
    const QString unreachable = u"Les services de recherche d'adresses sont injoignables : "
                                "vérifiez la connexion à Internet."_qs;

    QTest::newRow("France: the national base, close by")
        << Upstream::Recorded << Upstream::Recorded << 49.8975 << 2.2901 << u"found"_qs
        << amiensLabel << amiens << 1 << 0;
    QTest::newRow("abroad: Nominatim only")
        << Upstream::Recorded << Upstream::Recorded << 51.5074 << -0.1278 << u"found"_qs
        << londonLabel << london << 0 << 1;
    QTest::newRow("near a border: the nearer of both")
        << Upstream::Recorded << Upstream::Recorded << 51.0 << 1.0 << u"found"_qs << londonLabel
        << london << 1 << 1;
    QTest::newRow("France, the national base knows none")
        << Upstream::Nothing << Upstream::Recorded << 49.8975 << 2.2901 << u"found"_qs
        << londonLabel << london << 1 << 1;
    QTest::newRow("France, the national base unreachable")
        << Upstream::Dead << Upstream::Recorded << 49.8975 << 2.2901 << u"found"_qs << londonLabel
        << london << 0 << 1;
    QTest::newRow("open sea") << Upstream::Recorded << Upstream::Nothing << 0.0 << -30.0
                              << u"none"_qs << u"Aucune adresse connue à proximité."_qs
                              << QStringList() << 0 << 1;
    QTest::newRow("refused") << Upstream::Recorded << Upstream::TooMany << 0.0 << -30.0
                             << u"refused"_qs
                             << u"Les services de recherche d'adresses ont refusé la demande "
                                "(limite d'usage atteinte) : réessayez dans un moment."_qs
                             << QStringList() << 0 << 1;
    QTest::newRow("unreadable") << Upstream::Recorded << Upstream::Garbage << 0.0 << -30.0
                                << u"failed"_qs
                                << u"Les services de recherche d'adresses ont donné une réponse "
                                   "illisible : réessayez plus tard."_qs
                                << QStringList() << 0 << 1;
    QTest::newRow("offline beats knowing none")
        << Upstream::Nothing << Upstream::Dead << 49.8975 << 2.2901 << u"unreachable"_qs
        << unreachable << QStringList() << 1 << 0;
    QTest::newRow("both switched off")
        << Upstream::Off << Upstream::Off << 49.8975 << 2.2901 << u"off"_qs
        << u"La recherche d'adresses est désactivée dans la configuration de Tarnel "
           "(tarnel.conf)."_qs
        << QStringList() << 0 << 0;
}

void MapServicePointTest::nearestAddress() {
    QFETCH(Upstream, france);
    QFETCH(Upstream, world);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(QString, status);
    QFETCH(QString, message);
    QFETCH(QStringList, parts);
    QFETCH(int, nationalHits);
    QFETCH(int, nominatimHits);

    const int nationalBefore = fake_.Hits(Reverse::National);
    const int nominatimBefore = fake_.Hits(Reverse::Nominatim);
    const auto service = Service(france, world);
    QVERIFY(service);
    const std::string target =
        QStringLiteral("/adresse?lat=%1&lon=%2").arg(latitude).arg(longitude).toStdString();
    const Reply reply = Get(service->Port(), target);
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.json.value(u"status"_qs).toString(), status);
    QCOMPARE(fake_.Hits(Reverse::National) - nationalBefore, nationalHits);
    QCOMPARE(fake_.Hits(Reverse::Nominatim) - nominatimBefore, nominatimHits);
    QCOMPARE(fake_.Broken(), 0);
    if (status != u"found") {
        QCOMPARE(reply.json.value(u"message"_qs).toString(), message);
        QCOMPARE(reply.json.keys(), (QStringList{u"message"_qs, u"status"_qs}));
        return;
    }
    const QStringList got{
        reply.json.value(u"street"_qs).toString(), reply.json.value(u"city"_qs).toString(),
        reply.json.value(u"postcode"_qs).toString(), reply.json.value(u"country"_qs).toString(),
        reply.json.value(u"source"_qs).toString()};
    QCOMPARE(got, parts);
    const bool amiens = parts.last() != u"Nominatim";
    const double expected = RoughMetres(
        latitude, longitude,
        amiens ? FakeReverseServer::kAmiensLatitude : FakeReverseServer::kLondonLatitude,
        amiens ? FakeReverseServer::kAmiensLongitude : FakeReverseServer::kLondonLongitude);
    const double distance = reply.json.value(u"distance"_qs).toDouble();
    QVERIFY2(std::abs(distance - expected) <= 0.005 * expected + 0.1,
             qPrintable(QStringLiteral("%1 m, about %2 m expected").arg(distance).arg(expected)));
    QVERIFY2(reply.json.value(u"message"_qs).toString().startsWith(u"Adresse la plus proche, à ") &&
                 reply.json.value(u"message"_qs).toString().endsWith(message),
             qPrintable(reply.json.value(u"message"_qs).toString()));
}

void MapServicePointTest::answersAreCachedPerPoint() {
    const auto service = Service(Upstream::Off, Upstream::Recorded);
    QVERIFY(service);
    const int before = fake_.Hits(Reverse::Nominatim);
    // The second point lies 0.3 m from the first: one answer serves both; the third does not.
    for (const char* target :
         {"/adresse?lat=51.50740&lon=-0.12780", "/adresse?lat=51.507403&lon=-0.127801",
          "/adresse?lat=51.50760&lon=-0.12780"})
        QCOMPARE(Get(service->Port(), target).json.value(u"status"_qs).toString(), u"found"_qs);
    QCOMPARE(fake_.Hits(Reverse::Nominatim) - before, 2);
    QVERIFY(fake_.LastTarget(Reverse::Nominatim)
                .startsWith("/reverse?format=jsonv2&lat=51.5076000&lon=-0.1278000&"
                            "addressdetails=1"));

    // A refusal is asked again.
    fake_.Set(Reverse::Nominatim, Answer::TooManyRequests);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(Get(service->Port(), "/adresse?lat=10&lon=10").json.value(u"status"_qs),
                 u"refused"_qs);
    QCOMPARE(fake_.Hits(Reverse::Nominatim) - before, 4);
}

void MapServicePointTest::nominatimTurnsAreSharedWithSearch() {
    // As the program builds it: Nominatim's search and reverse search on one turn a second.
    FakeGeocoderServer search;
    GeocoderEndpoints endpoints;
    endpoints.france.clear();
    endpoints.franceReverse.clear();
    endpoints.world = search.SearchUrl(FakeGeocoderServer::Endpoint::Nominatim);
    endpoints.worldReverse = fake_.Url(Reverse::Nominatim);
    fake_.Set(Reverse::Nominatim, Answer::Recorded);
    const auto service = MakeOpenDataMapService(endpoints);
    QVERIFY(service->Start());
    const quint16 port = service->Port();
    const int before = fake_.Arrivals().size();

    auto page = std::async(std::launch::async, [port] {
        return Get(port, "/maps?q=10%20Downing%20Street%2C%20London%2C%20Royaume-Uni").status;
    });
    auto first =
        std::async(std::launch::async, [port] { return Get(port, "/adresse?lat=1&lon=1").status; });
    auto second =
        std::async(std::launch::async, [port] { return Get(port, "/adresse?lat=2&lon=2").status; });
    QCOMPARE(page.get(), 200);
    QCOMPARE(first.get(), 200);
    QCOMPARE(second.get(), 200);

    QList<std::chrono::steady_clock::time_point> arrivals =
        fake_.Arrivals().mid(before) + search.Arrivals();
    QCOMPARE(arrivals.size(), 3);
    std::sort(arrivals.begin(), arrivals.end());
    for (qsizetype i = 1; i < arrivals.size(); ++i)
        QVERIFY2(arrivals[i] - arrivals[i - 1] >= 950ms,
                 qPrintable(QStringLiteral("requests %1 ms apart")
                                .arg(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         arrivals[i] - arrivals[i - 1])
                                         .count())));
}

void MapServicePointTest::guards_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("header"); // "Name: value", or empty
    QTest::addColumn<int>("status");

    for (const QString& path : {u"/point"_qs, u"/adresse"_qs}) {
        const QByteArray p = path.toUtf8();
        QTest::addRow("%s: own page", p.constData())
            << path << u"GET"_qs << u"Sec-Fetch-Site: same-origin"_qs << 200;
        QTest::addRow("%s: another name", p.constData())
            << path << u"GET"_qs << u"Host: localhost"_qs << 403;
        QTest::addRow("%s: another site's page", p.constData())
            << path << u"GET"_qs << u"Origin: https://evil.example"_qs << 403;
        QTest::addRow("%s: cross-site fetch", p.constData())
            << path << u"GET"_qs << u"Sec-Fetch-Site: cross-site"_qs << 403;
        QTest::addRow("%s: POST", p.constData()) << path << u"POST"_qs << QString() << 405;
    }
    QTest::newRow("a neighbour of the routes") << u"/points"_qs << u"GET"_qs << QString() << 404;
}

void MapServicePointTest::guards() {
    QFETCH(QString, path);
    QFETCH(QString, method);
    QFETCH(QString, header);
    QFETCH(int, status);

    const auto service = Service(Upstream::Off, Upstream::Off);
    QVERIFY(service);
    httplib::Headers headers;
    if (!header.isEmpty())
        headers.emplace(header.section(u':', 0, 0).toStdString(),
                        header.section(u": "_qs, 1).toStdString());
    const std::string target = path.toStdString() + "?lat=48.85&lon=2.29";
    httplib::Client client("127.0.0.1", service->Port());
    const httplib::Result result = method == u"GET"
                                       ? client.Get(target, headers)
                                       : client.Post(target, headers, "", "text/plain");
    QVERIFY(result);
    QCOMPARE(result->status, status);
    if (status == 200) {
        QCOMPARE(result->get_header_value("Content-Type"), "application/json; charset=utf-8");
        QCOMPARE(result->get_header_value("Cache-Control"), "no-store");
    }
}

QTEST_GUILESS_MAIN(MapServicePointTest)
#include "MapServicePointTest.moc"
