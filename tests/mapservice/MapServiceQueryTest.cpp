#include "mapservice/AddressQuery.h"
#include "mapservice/CachingGeocoder.h"
#include "mapservice/CoordinateText.h"
#include "mapservice/GeoplateformeGeocoder.h"
#include "mapservice/NominatimGeocoder.h"
#include "mapservice/QueryText.h"
#include "mapservice/RateLimiter.h"

#include <QTest>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace tarnel;

Q_DECLARE_METATYPE(AddressQuery::Region)
Q_DECLARE_METATYPE(GeocodeResult::Outcome)

namespace {

constexpr double kTolerance = 1e-7;

using AskedCounts = QHash<QString, int>;

// Finds every address, and counts the lookups of each.
class CountingGeocoder final : public Geocoder {
public:
    explicit CountingGeocoder(QHash<QString, int>& asked)
        : asked_(asked) {}
    GeocodeResult Locate(const QString& address) override {
        ++asked_[address];
        return {GeocodeResult::Outcome::Found, {1, 2}};
    }
    QString SourceName() const override { return QStringLiteral("Comptage"); }
    void CancelLookups() override {}

private:
    QHash<QString, int>& asked_;
};

} // namespace

// The pieces the map service reads its queries with, and the readers of the geocoders' answers.
class MapServiceQueryTest : public QObject {
    Q_OBJECT

private slots:
    void queryValue_data();
    void queryValue();
    void decode_data();
    void decode();
    void coordinates_data();
    void coordinates();
    void coordinateProblem_data();
    void coordinateProblem();
    void address_data();
    void address();
    void nationalAddressAnswer_data();
    void nationalAddressAnswer();
    void nationalQueryText_data();
    void nationalQueryText();
    void nominatimAnswer_data();
    void nominatimAnswer();
    void rateLimiterSpacesTurns_data();
    void rateLimiterSpacesTurns();
    void rateLimiterWaitIsCancelled();
    void cacheForgetsTheLeastRecentlyUsed_data();
    void cacheForgetsTheLeastRecentlyUsed();
};

void MapServiceQueryTest::queryValue_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("coordinates") << QByteArray("/maps?q=48.8584%2C2.2945")
                                 << QByteArray("48.8584%2C2.2945");
    QTest::newRow("ampersand typed")
        << QByteArray("/maps?q=A+&+B,+Paris") << QByteArray("A+&+B,+Paris");
    QTest::newRow("bare base") << QByteArray("/maps?q=") << QByteArray();
    QTest::newRow("no query") << QByteArray("/maps") << QByteArray();
    QTest::newRow("other parameter") << QByteArray("/maps?x=1&q=2") << QByteArray();
}

void MapServiceQueryTest::queryValue() {
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, value);
    const std::string text = target.toStdString();
    QCOMPARE(QByteArray::fromStdString(std::string(MapQueryValue(text))), value);
}

void MapServiceQueryTest::decode_data() {
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");
    QTest::newRow("encoded comma") << QByteArray("48.8584%2C2.2945") << u"48.8584,2.2945"_qs;
    QTest::newRow("plus is a blank")
        << QByteArray("1+rue+X,+Paris,+75001") << u"1 rue X, Paris, 75001"_qs;
    QTest::newRow("encoded plus stays") << QByteArray("a%2Bb") << u"a+b"_qs;
    QTest::newRow("browser utf-8 degree")
        << QByteArray("48%C2%B051'23%22%2C2%C2%B017'40%22") << u"48°51'23\",2°17'40\""_qs;
    QTest::newRow("windows-1252 degree")
        << QByteArray("48%B051%2723%22%2C2%B017%2740%22") << u"48°51'23\",2°17'40\""_qs;
    QTest::newRow("fetch accent") << QByteArray("Rue+de+la+cit%E9,+PARIS")
                                  << u"Rue de la cité, PARIS"_qs;
    QTest::newRow("raw utf-8") << QByteArray("cit\xC3\xA9") << u"cité"_qs;
    QTest::newRow("browser blanks") << QByteArray("1%20rue%20X") << u"1 rue X"_qs;
    QTest::newRow("lone percent") << QByteArray("100%") << u"100%"_qs;
    QTest::newRow("bad escape") << QByteArray("%zz%4") << u"%zz%4"_qs;
}

void MapServiceQueryTest::decode() {
    QFETCH(QByteArray, raw);
    QFETCH(QString, text);
    QCOMPARE(DecodeQueryValue(std::string_view(raw.constData(), raw.size())), text);
}

void MapServiceQueryTest::coordinates_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isPair");
    QTest::addColumn<bool>("onEarth");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::newRow("decimal") << u"48.8584,2.2945"_qs << true << true << 48.8584 << 2.2945;
    QTest::newRow("south east") << u"-33.8568,151.2153"_qs << true << true << -33.8568 << 151.2153;
    QTest::newRow("blanks around") << u" 48.8584 , 2.2945 "_qs << true << true << 48.8584 << 2.2945;
    QTest::newRow("no leading zero") << u".8566667,-.5"_qs << true << true << 0.8566667 << -0.5;
    QTest::newRow("geocoded texts")
        << u"48.856614000,2.3522000000"_qs << true << true << 48.856614 << 2.3522;
    QTest::newRow("decimal commas") << u"48,8584,2,2945"_qs << true << true << 48.8584 << 2.2945;
    QTest::newRow("decimal commas west")
        << u"-33,8568,-70,5"_qs << true << true << -33.8568 << -70.5;
    QTest::newRow("dms") << u"48°51'23\",2°17'40\""_qs << true << true
                         << 48 + 51 / 60.0 + 23 / 3600.0 << 2 + 17 / 60.0 + 40 / 3600.0;
    QTest::newRow("dms south west")
        << u"-33°51'24\",-70°38'59\""_qs << true << true << -(33 + 51 / 60.0 + 24 / 3600.0)
        << -(70 + 38 / 60.0 + 59 / 3600.0);
    QTest::newRow("dms minus zero") << u"-0°30'0\",0°0'36\""_qs << true << true << -0.5 << 0.01;
    QTest::newRow("dms and decimal")
        << u"48°51'23\",2.2945"_qs << true << true << 48 + 51 / 60.0 + 23 / 3600.0 << 2.2945;
    const double paris = 48 + 51 / 60.0 + 30.2 / 3600;
    const double eiffel = 2 + 17 / 60.0 + 40.2 / 3600;
    QTest::newRow("loose dms, decimal commas")
        << u"48° 51' 30,2\" N,2° 17' 40,2\" E"_qs << true << true << paris << eiffel;
    QTest::newRow("loose dms, one decimal comma") << u"48° 51' 30,2\" N,2° 17' 40\" E"_qs << true
                                                  << true << paris << 2 + 17 / 60.0 + 40 / 3600.0;
    QTest::newRow("loose dms, letters first, ouest")
        << u"S 21 06 54.36, O 55 32 11.04"_qs << true << true << -21.1151 << -55.5364;
    QTest::newRow("ddm") << u"48°51.504'N,2°17.670'E"_qs << true << true << 48.8584 << 2.2945;
    QTest::newRow("ddm letters first")
        << u"N 48 51.504,E 2 17.670"_qs << true << true << 48.8584 << 2.2945;
    // Places: echo <X> <Y> | cs2cs -f %.8f EPSG:2154 EPSG:4326.
    QTest::newRow("lambert 93") << u"649242.57,6861355.85"_qs << true << true << 48.85024402
                                << 2.30830994;
    QTest::newRow("lambert 93, Y first")
        << u"6861355.85,649242.57"_qs << true << true << 48.85024402 << 2.30830994;
    QTest::newRow("lambert 93, blanks and decimal commas")
        << u"649 242,57,6 861 355,85"_qs << true << true << 48.85024402 << 2.30830994;
    QTest::newRow("lambert 93 as the map page writes it")
        << u"X = 648237.30 m,Y = 6862271.68 m"_qs << true << true << 48.85839999 << 2.29449998;
    QTest::newRow("lambert 93 off France") << u"1300000,6000000"_qs << true << false << 0.0 << 0.0;
    QTest::newRow("boxes swapped, letters tell")
        << u"2°17.670'E,48°51.504'N"_qs << true << true << 48.8584 << 2.2945;
    QTest::newRow("latitude letter in longitude")
        << u"48°51'N,2°17'N"_qs << true << false << 0.0 << 0.0;
    QTest::newRow("latitude beyond 90") << u"91,0"_qs << true << false << 0.0 << 0.0;
    QTest::newRow("longitude beyond 180") << u"0,180.5"_qs << true << false << 0.0 << 0.0;
    QTest::newRow("sixty minutes") << u"48°60'0\",2°0'0\""_qs << true << false << 0.0 << 0.0;
    QTest::newRow("words") << u"abc,def"_qs << false << false << 0.0 << 0.0;
    QTest::newRow("one value") << u"48.8584"_qs << false << false << 0.0 << 0.0;
    QTest::newRow("address") << u"1 rue X, Paris"_qs << false << false << 0.0 << 0.0;
    QTest::newRow("dms without seconds mark")
        << u"48°51'23,2°17'40"_qs << true << true << 48 + 51 / 60.0 + 23 / 3600.0
        << 2 + 17 / 60.0 + 40 / 3600.0;
    QTest::newRow("three parts, two readings") << u"1,2,3"_qs << true << false << 0.0 << 0.0;
    QTest::newRow("empty") << QString() << false << false << 0.0 << 0.0;
}

void MapServiceQueryTest::coordinates() {
    QFETCH(QString, text);
    QFETCH(bool, isPair);
    QFETCH(bool, onEarth);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const CoordinateQuery query = ParseCoordinates(text);
    QCOMPARE(query.isPair, isPair);
    QCOMPARE(query.place.has_value(), onEarth);
    if (onEarth) {
        QVERIFY(qAbs(query.place->latitude - latitude) < kTolerance);
        QVERIFY(qAbs(query.place->longitude - longitude) < kTolerance);
    }
}

void MapServiceQueryTest::coordinateProblem_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("problem");
    QTest::newRow("read") << u"48.8584,2.2945"_qs << QString();
    QTest::newRow("longitude not understood")
        << u"48°51'N,2°17'N"_qs << u"La case Longitude n'a pas été comprise : « 2°17'N »."_qs;
    QTest::newRow("both boxes")
        << u"N N,2 3 4 5"_qs
        << u"La case Latitude n'a pas été comprise : « N N ». La case Longitude n'a pas été "
           u"comprise : « 2 3 4 5 »."_qs;
    QTest::newRow("latitude out of range")
        << u"91,2"_qs
        << u"La case Latitude est hors limites : « 91 » (la latitude va de 90° S à 90° N, "
           u"minutes et secondes sous 60)."_qs;
    QTest::newRow("comma read two ways")
        << u"1,2,3"_qs
        << u"Les coordonnées « 1,2,3 » se lisent de plusieurs façons, la virgule pouvant séparer "
           u"les décimales ou les deux cases : écrivez les décimales avec un point."_qs;
    QTest::newRow("lambert 93 off France")
        << u"1300000,6000000"_qs
        << u"Le point Lambert 93 X = 1300000.00 m, Y = 6000000.00 m est hors de la zone du "
           u"Lambert 93 (France métropolitaine et Corse)."_qs;
}

void MapServiceQueryTest::coordinateProblem() {
    QFETCH(QString, text);
    QFETCH(QString, problem);
    const QString found = ParseCoordinates(text).problem;
    if (problem.isEmpty()) {
        QCOMPARE(found, QString());
        return;
    }
    QVERIFY2(found.startsWith(problem + u" Formes acceptées, une valeur dans chaque case : "_qs),
             qPrintable(found));
    for (const QString& example : {u"48.8584"_qs, u"48° 51' 30,2\" N"_qs, u"N 48 51.504"_qs,
                                   u"648237.30 et 6862271.68"_qs}) {
        QVERIFY(found.contains(example));
    }
}

void MapServiceQueryTest::address_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<AddressQuery::Region>("region");
    QTest::addColumn<QString>("world");
    QTest::addColumn<QString>("france");
    using Region = AddressQuery::Region;
    QTest::newRow("address window")
        << u"Rue de la cité, PARIS, FRANCE, 75004"_qs << Region::France
        << u"Rue de la cité, PARIS, FRANCE, 75004"_qs << u"Rue de la cité, PARIS, 75004"_qs;
    QTest::newRow("empty street and town")
        << u", , FRANCE, 75004"_qs << Region::France << u"FRANCE, 75004"_qs << u"75004"_qs;
    QTest::newRow("country in any case") << u"1 rue X, Lyon, france"_qs << Region::France
                                         << u"1 rue X, Lyon, france"_qs << u"1 rue X, Lyon"_qs;
    QTest::newRow("empty country, French zip")
        << u"1 rue X, Paris, , 75001"_qs << Region::France << u"1 rue X, Paris, 75001"_qs
        << u"1 rue X, Paris, 75001"_qs;
    QTest::newRow("main window, no country")
        << u"1 rue X, Paris, 75001"_qs << Region::LikelyFrance << u"1 rue X, Paris, 75001"_qs
        << u"1 rue X, Paris, 75001"_qs;
    QTest::newRow("other country, five digits")
        << u"Unter den Linden 77, Berlin, Germany, 10117"_qs << Region::World
        << u"Unter den Linden 77, Berlin, Germany, 10117"_qs
        << u"Unter den Linden 77, Berlin, Germany, 10117"_qs;
    QTest::newRow("empty country, other zip")
        << u"1 Main St, Springfield, , 627"_qs << Region::World << u"1 Main St, Springfield, 627"_qs
        << u"1 Main St, Springfield, 627"_qs;
    QTest::newRow("France inside a word")
        << u"Rue de France, Nice, Italie, 06000"_qs << Region::World
        << u"Rue de France, Nice, Italie, 06000"_qs << u"Rue de France, Nice, Italie, 06000"_qs;
    QTest::newRow("nothing") << u", , , "_qs << Region::World << QString() << QString();
}

void MapServiceQueryTest::address() {
    QFETCH(QString, text);
    QFETCH(AddressQuery::Region, region);
    QFETCH(QString, world);
    QFETCH(QString, france);
    const AddressQuery query = ParseAddressQuery(text);
    QCOMPARE(query.region, region);
    QCOMPARE(query.WorldText(), world);
    QCOMPARE(query.FranceText(), france);
}

void MapServiceQueryTest::nationalAddressAnswer_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("postalCodes"); // those of the query
    QTest::addColumn<GeocodeResult::Outcome>("outcome");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    using Outcome = GeocodeResult::Outcome;
    const auto feature = [](double longitude, double latitude, double score, const char* postcode,
                            const char* citycode, const char* label) {
        return QByteArray(R"({"type":"Feature","geometry":{"type":"Point","coordinates":[)") +
               QByteArray::number(longitude) + ',' + QByteArray::number(latitude) +
               R"(]},"properties":{"label":")" + label + R"(","score":)" +
               QByteArray::number(score, 'g', 17) + R"(,"postcode":")" + postcode +
               R"(","citycode":")" + citycode + R"(","type":"housenumber"}})";
    };
    const auto collection = [](const QList<QByteArray>& features) {
        return R"({"type":"FeatureCollection","version":"draft","features":[)" +
               features.join(',') + R"(],"query":"x","limit":5})";
    };
    const QByteArray cite =
        feature(2.347, 48.859, 0.93, "75004", "75104", "Rue de la Cité 75004 Paris");
    // The service's documented example: "8 bd du port" guessed as a boulevard of Amiens.
    const QByteArray amiens = feature(2.290084, 49.897443, 0.49159121588068583, "80000", "80021",
                                      "8 Boulevard du Port 80000 Amiens");
    const QByteArray pertuisLike = feature(0.103351, 49.508117, 0.6743751515151515, "76620",
                                           "76351", "Rue Alexandre 76620 Le Havre");

    QTest::newRow("first feature")
        << collection({cite, amiens}) << QStringList() << Outcome::Found << 48.859 << 2.347;
    QTest::newRow("postal code agrees")
        << collection({cite}) << QStringList{u"75004"_qs} << Outcome::Found << 48.859 << 2.347;
    QTest::newRow("town code agrees")
        << collection({cite}) << QStringList{u"75104"_qs} << Outcome::Found << 48.859 << 2.347;
    QTest::newRow("namesake elsewhere first")
        << collection(
               {feature(2.29, 49.89, 0.97, "80000", "80021", "Rue de la Cité 80000 Amiens"), cite})
        << QStringList{u"75004"_qs} << Outcome::Found << 48.859 << 2.347;
    QTest::newRow("documented low-score guess")
        << collection({amiens}) << QStringList() << Outcome::NoMatch << 0.0 << 0.0;
    QTest::newRow("other street, score below the threshold")
        << collection({pertuisLike, amiens}) << QStringList() << Outcome::NoMatch << 0.0 << 0.0;
    QTest::newRow("well scored, other postal code")
        << collection({feature(4.07, 48.29, 0.97, "10000", "10387", "Rue de Berlin 10000 Troyes")})
        << QStringList{u"10115"_qs} << Outcome::NoMatch << 0.0 << 0.0;
    QTest::newRow("no score")
        << QByteArray(R"({"features":[{"geometry":{"coordinates":[2.3,48.8]},"properties":{}}]})")
        << QStringList() << Outcome::NoMatch << 0.0 << 0.0;
    QTest::newRow("no feature") << QByteArray(R"({"type":"FeatureCollection","features":[]})")
                                << QStringList() << Outcome::NoMatch << 0.0 << 0.0;
    QTest::newRow("service error") << QByteArray(R"({"code":400,"message":"Failed parsing query"})")
                                   << QStringList() << Outcome::Failed << 0.0 << 0.0;
    QTest::newRow("point as texts")
        << QByteArray(R"({"features":[{"geometry":{"coordinates":)"
                      R"(["2.3","48.8"]},"properties":{"score":0.9}}]})")
        << QStringList() << Outcome::Failed << 0.0 << 0.0;
    QTest::newRow("point off Earth") << QByteArray(R"({"features":[{"geometry":{"coordinates":)"
                                                   R"([2.3,148.8]},"properties":{"score":0.9}}]})")
                                     << QStringList() << Outcome::Failed << 0.0 << 0.0;
    QTest::newRow("html") << QByteArray("<html><body>Bad gateway</body></html>") << QStringList()
                          << Outcome::Failed << 0.0 << 0.0;
    QTest::newRow("cut short") << QByteArray(R"({"features":[{"geometry":{"coordinates":[2.3,)")
                               << QStringList() << Outcome::Failed << 0.0 << 0.0;
}

void MapServiceQueryTest::nationalAddressAnswer() {
    QFETCH(QByteArray, json);
    QFETCH(QStringList, postalCodes);
    QFETCH(GeocodeResult::Outcome, outcome);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const GeocodeResult result = GeoplateformeGeocoder::ReadAnswer(json, postalCodes);
    QCOMPARE(result.outcome, outcome);
    if (outcome == GeocodeResult::Outcome::Found) {
        QCOMPARE(result.place.latitude, latitude);
        QCOMPARE(result.place.longitude, longitude);
    }
}

void MapServiceQueryTest::nationalQueryText_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("sent"); // empty: nothing is sent
    const QString word40 = u"Abcdefghij"_qs.repeated(4);
    const QString long210 = (word40 + u' ').repeated(5) + u"Paris"_qs; // 210 characters
    QTest::newRow("as typed") << u"1 rue X, Paris, 75001"_qs << u"1 rue X, Paris, 75001"_qs;
    QTest::newRow("parenthesis first")
        << u"(Bât. A) 3 rue Y, Lyon"_qs << u"Bât. A) 3 rue Y, Lyon"_qs;
    QTest::newRow("French quotes first")
        << u"« Les Pins », Nice, 06000"_qs << u"Les Pins », Nice, 06000"_qs;
    QTest::newRow("dash and apostrophe first") << u"-'Île-de-Sein"_qs << u"Île-de-Sein"_qs;
    QTest::newRow("hash first") << u"#3 Résidence Les Pins, Nice"_qs
                                << u"3 Résidence Les Pins, Nice"_qs;
    QTest::newRow("two characters") << u"Y, "_qs << QString();
    QTest::newRow("two after punctuation") << u"((Eu"_qs << QString();
    QTest::newRow("only punctuation") << u"« — »"_qs << QString();
    QTest::newRow("three") << u"Eus"_qs << u"Eus"_qs;
    QTest::newRow("exactly 200") << long210.left(200) << long210.left(200).trimmed();
    QTest::newRow("cut at a word boundary") << long210 << (word40 + u' ').repeated(4).trimmed();
    QTest::newRow("one word longer than the limit")
        << u"A"_qs.repeated(230) << u"A"_qs.repeated(200);
}

void MapServiceQueryTest::nationalQueryText() {
    QFETCH(QString, address);
    QFETCH(QString, sent);
    const QString text = GeoplateformeGeocoder::QueryText(address);
    QCOMPARE(text, sent);
    if (!text.isEmpty()) {
        // What the service accepts: 3 to 200 characters, a letter or digit first.
        QVERIFY(text.size() >= 3 && text.size() <= 200);
        QVERIFY(text.at(0).isLetterOrNumber());
    }
}

void MapServiceQueryTest::nominatimAnswer_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<GeocodeResult::Outcome>("outcome");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    using Outcome = GeocodeResult::Outcome;
    QTest::newRow("first match")
        << QByteArray(R"([{"place_id":1,"lat":"52.5162746","lon":"13.3777041",)"
                      R"("display_name":"Brandenburger Tor"},{"lat":"1","lon":"2"}])")
        << Outcome::Found << 52.5162746 << 13.3777041;
    QTest::newRow("no match") << QByteArray("[]") << Outcome::NoMatch << 0.0 << 0.0;
    QTest::newRow("numbers not texts")
        << QByteArray(R"([{"lat":52.5,"lon":13.3}])") << Outcome::Failed << 0.0 << 0.0;
    QTest::newRow("text not a number")
        << QByteArray(R"([{"lat":"north","lon":"13.3"}])") << Outcome::Failed << 0.0 << 0.0;
    QTest::newRow("object") << QByteArray(R"({"error":"rate limited"})") << Outcome::Failed << 0.0
                            << 0.0;
    QTest::newRow("garbage") << QByteArray("\x00\xFF garbage", 10) << Outcome::Failed << 0.0 << 0.0;
}

void MapServiceQueryTest::nominatimAnswer() {
    QFETCH(QByteArray, json);
    QFETCH(GeocodeResult::Outcome, outcome);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const GeocodeResult result = NominatimGeocoder::ReadAnswer(json);
    QCOMPARE(result.outcome, outcome);
    if (outcome == GeocodeResult::Outcome::Found) {
        QCOMPARE(result.place.latitude, latitude);
        QCOMPARE(result.place.longitude, longitude);
    }
}

void MapServiceQueryTest::rateLimiterSpacesTurns_data() {
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<int>("maxWaitMs");
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("granted");
    QTest::newRow("all fit") << 100 << 1000 << 4 << 4;
    QTest::newRow("queue bounded") << 100 << 250 << 6 << 3;
}

void MapServiceQueryTest::rateLimiterSpacesTurns() {
    QFETCH(int, intervalMs);
    QFETCH(int, maxWaitMs);
    QFETCH(int, calls);
    QFETCH(int, granted);
    using std::chrono::milliseconds;
    RateLimiter limiter{milliseconds(intervalMs), milliseconds(maxWaitMs)};
    const auto start = RateLimiter::Clock::now();
    std::vector<std::thread> threads;
    std::atomic<int> grantedCount = 0;
    for (int i = 0; i < calls; ++i) {
        threads.emplace_back([&] {
            if (limiter.Acquire()) {
                ++grantedCount;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    const auto elapsed = RateLimiter::Clock::now() - start;
    QCOMPARE(grantedCount.load(), granted);
    QVERIFY(elapsed >= milliseconds(intervalMs * (granted - 1)));
}

void MapServiceQueryTest::rateLimiterWaitIsCancelled() {
    using namespace std::chrono;
    RateLimiter limiter{seconds(5), seconds(30)};
    Cancellation cancel;
    QVERIFY(limiter.Acquire(cancel)); // the first turn is at once
    const auto start = steady_clock::now();
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(milliseconds(100));
        cancel.Cancel();
    });
    const bool granted = limiter.Acquire(cancel);
    const auto waited = steady_clock::now() - start;
    canceller.join();
    QVERIFY(!granted);
    QVERIFY(waited < milliseconds(600));
    QVERIFY(!limiter.Acquire(cancel)); // and at once from then on
}

void MapServiceQueryTest::cacheForgetsTheLeastRecentlyUsed_data() {
    QTest::addColumn<QStringList>("lookups");
    QTest::addColumn<AskedCounts>("asked"); // upstream lookups per address
    // Capacity 3 throughout.
    QTest::newRow("within capacity")
        << QStringList{"a", "b", "c", "a", "b", "c"} << AskedCounts{{"a", 1}, {"b", 1}, {"c", 1}};
    QTest::newRow("oldest forgotten") << QStringList{"a", "b", "c", "d", "a"}
                                      << AskedCounts{{"a", 2}, {"b", 1}, {"c", 1}, {"d", 1}};
    QTest::newRow("use keeps an address") << QStringList{"a", "b", "c", "a", "d", "a", "b"}
                                          << AskedCounts{{"a", 1}, {"b", 2}, {"c", 1}, {"d", 1}};
}

void MapServiceQueryTest::cacheForgetsTheLeastRecentlyUsed() {
    QFETCH(QStringList, lookups);
    QFETCH(AskedCounts, asked);
    QHash<QString, int> counted;
    CachingGeocoder cache(std::make_unique<CountingGeocoder>(counted), 3);
    for (const QString& address : lookups) {
        QCOMPARE(cache.Locate(address).outcome, GeocodeResult::Outcome::Found);
    }
    QCOMPARE(counted, asked);
}

QTEST_GUILESS_MAIN(MapServiceQueryTest)
#include "MapServiceQueryTest.moc"
