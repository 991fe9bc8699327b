#include "geocoding/AddressQuery.h"
#include "geocoding/CachingGeocoder.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/NominatimGeocoder.h"
#include "geocoding/RateLimiter.h"
#include "mapservice/CoordinateText.h"
#include "mapservice/QueryText.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
    void nominatimParameters_data();
    void nominatimParameters();
    void recordedAnswers_data();
    void recordedAnswers();
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
    QTest::newRow("ddm") << u"48°51.504'N,2°17.670'E"_qs << true << true << 48.8584 << 2.2945;
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
    QTest::addColumn<QStringList>("parts"); // street, town, country code, postcode, département
    QTest::addColumn<AddressQuery::Region>("region");
    QTest::addColumn<QString>("problem"); // the start of the French sentence; empty: none
    using enum AddressQuery::Region;
    const auto row = [](const char* name, const QString& text, const QString& parts,
                        AddressQuery::Region region, const QString& problem = {}) {
        QTest::newRow(name) << text << (parts.isEmpty() ? QStringList() : parts.split(u'|'))
                            << region << problem;
    };
    row("address window", u"Rue de la cité, PARIS, FRANCE, 75004"_qs,
        u"Rue de la cité|PARIS|fr|75004|75"_qs, France);
    row("main window, no country", u"1 rue X, Paris, 75001"_qs, u"1 rue X|Paris||75001|75"_qs,
        LikelyFrance);
    row("main window, town and code", u"Lyon, 69003"_qs, u"|Lyon||69003|69"_qs, LikelyFrance);
    row("whole address in the street box", u"1 rue X 75001 Paris"_qs, u"1 rue X|Paris||75001|75"_qs,
        LikelyFrance);
    row("town of a country's code", u"Lux, 21120"_qs, u"|Lux||21120|21"_qs, LikelyFrance);
    row("country's short name", u"10 Downing Street, London, UK"_qs,
        u"10 Downing Street|London|gb||"_qs, World);
    row("lone street", u"Rue de la Paix"_qs, u"Rue de la Paix||||"_qs, World);
    row("lone town named after a way", u"Pont-Audemer"_qs, u"|Pont-Audemer|||"_qs, World);
    row("house number apart, country in German", u"10, Unter den Linden, Berlin, Deutschland"_qs,
        u"10 Unter den Linden|Berlin|de||"_qs, World);
    row("code with the town, Corsica", u"2 cours Napoléon, 20000 Ajaccio, France"_qs,
        u"2 cours Napoléon|Ajaccio|fr|20000|2A"_qs, France);
    row("name of a building before the house",
        u"Centre social 3 rue du Laurier, CHAMBERY, , 73000"_qs,
        u"3 rue du Laurier|CHAMBERY||73000|73"_qs, LikelyFrance);
    row("CEDEX and postal box", u"20 avenue de Ségur TSA 30719, Paris Cedex 07, FRANCE, 75334"_qs,
        u"20 avenue de Ségur|Paris|fr||75"_qs, France);
    row("overseas place as the country", u", Saint-Denis, La Réunion, 97400"_qs,
        u"|Saint-Denis|re|97400|974"_qs, France);
    row("Saint-Barthélemy", u", , FRANCE, 97133"_qs, u"||fr|97133|977"_qs, France);
    row("four digits elsewhere", u"Bahnhofstrasse 1, Zürich, Suisse, 8001"_qs,
        u"Bahnhofstrasse 1|Zürich|ch||"_qs, World);
    row("unknown country", u"1 rue X, Paris, Fraance, 75001"_qs, {}, World,
        u"Le pays « Fraance »"_qs);
    row("four digits, France", u", Paris, FRANCE, 7500"_qs, {}, World,
        u"Le code postal « 7500 » n'a pas cinq chiffres"_qs);
    row("six digits, no country", u"Lyon, 690030"_qs, {}, World, u"Le code postal « 690030 »"_qs);
    row("only punctuation", u"« — », ..., , "_qs, {}, World, u"Cette adresse est vide"_qs);
    row("nothing", u" ,  ,  , "_qs, {}, World, u"Cette adresse est vide"_qs);
}

void MapServiceQueryTest::address() {
    QFETCH(QString, text);
    QFETCH(QStringList, parts);
    QFETCH(AddressQuery::Region, region);
    QFETCH(QString, problem);
    const AddressQuery query = ParseAddressQuery(text);
    QVERIFY2(problem.isEmpty() ? query.problem.isEmpty() : query.problem.startsWith(problem),
             qPrintable(query.problem));
    if (!problem.isEmpty()) {
        return;
    }
    QCOMPARE((QStringList{query.street, query.town, query.countryCode, query.postcode,
                          query.departement}),
             parts);
    QCOMPARE(query.region, region);
    // The geocoders read the same parts back.
    const AddressQuery again = ParseAddressQuery(query.Text());
    QCOMPARE((QStringList{again.street, again.town, again.countryCode, again.postcode,
                          again.departement}),
             parts);
}

void MapServiceQueryTest::nationalAddressAnswer_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<GeocodeResult::Outcome>("outcome");
    using Outcome = GeocodeResult::Outcome;
    // A feature that fits what the rows type but for the member each row breaks.
    const auto feature = [](const QByteArray& point, const QByteArray& score) {
        return R"({"features":[{"geometry":{"coordinates":)" + point +
               R"(},"properties":{"label":"Rue de la Cité 75004 Paris",)" + score +
               R"("type":"street","street":"Rue de la Cité","postcode":"75004",)"
               R"("city":"Paris","context":"75, Paris, Île-de-France"}}]})";
    };
    QTest::newRow("fits") << feature("[2.347,48.854]", R"("score":0.3,)") << Outcome::Found;
    QTest::newRow("no score") << feature("[2.347,48.854]", "") << Outcome::NoMatch;
    QTest::newRow("point as texts")
        << feature(R"(["2.3","48.8"])", R"("score":0.9,)") << Outcome::Failed;
    QTest::newRow("point off Earth")
        << feature("[2.3,148.8]", R"("score":0.9,)") << Outcome::Failed;
    QTest::newRow("service error")
        << QByteArray(R"({"code":400,"message":"Failed parsing query"})") << Outcome::Failed;
    QTest::newRow("html") << QByteArray("<html><body>Bad gateway</body></html>") << Outcome::Failed;
    QTest::newRow("cut short") << QByteArray(R"({"features":[{"geometry":{"coordinates":[2.3,)")
                               << Outcome::Failed;
}

void MapServiceQueryTest::nationalAddressAnswer() {
    QFETCH(QByteArray, json);
    QFETCH(GeocodeResult::Outcome, outcome);
    const AddressQuery typed = ParseAddressQuery(u"Rue de la Cité, Paris, FRANCE, 75004"_qs);
    QCOMPARE(GeoplateformeGeocoder::ReadAnswer(json, typed).outcome, outcome);
}

void MapServiceQueryTest::nationalQueryText_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent"); // empty: nothing is sent
    const QString longStreet = u"Chemin "_qs + u"tres long "_qs.repeated(25);
    QTest::newRow("address window")
        << u"Rue de la cité, PARIS, FRANCE, 75004"_qs << u"Rue de la cité, PARIS, 75004"_qs;
    QTest::newRow("town and code") << u"Lyon, 69003"_qs << u"Lyon, 69003"_qs;
    QTest::newRow("CEDEX and postal box")
        << u"20 avenue de Ségur TSA 30719, Paris Cedex 07, FRANCE, 75334"_qs
        << u"20 avenue de Ségur, Paris, 75"_qs;
    QTest::newRow("fraction first") << u"½ rue X, Paris, 75001"_qs << u"rue X, Paris, 75001"_qs;
    QTest::newRow("ordinal indicator first")
        << u"ª Résidence, Nice, 06000"_qs << u"Résidence, Nice, 06000"_qs;
    QTest::newRow("French quotes first")
        << u"« Les Pins », Nice, 06000"_qs << u"Les Pins », Nice, 06000"_qs;
    QTest::newRow("accented letter first")
        << u"Île de la Cité, Paris"_qs << u"Île de la Cité, Paris"_qs;
    QTest::newRow("street of punctuation") << u"«, Paris, FRANCE, 75001"_qs << u"Paris, 75001"_qs;
    QTest::newRow("long street cut, town and code kept")
        << longStreet + u", Paris, FRANCE, 75001"_qs
        << u"Chemin "_qs + u"tres long "_qs.repeated(18).trimmed() + u", Paris, 75001"_qs;
    QTest::newRow("two characters") << u", Y, FRANCE, "_qs << QString();
}

void MapServiceQueryTest::nationalQueryText() {
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    const QString text = GeoplateformeGeocoder::QueryText(ParseAddressQuery(typed));
    QCOMPARE(text, sent);
    QVERIFY(text.size() <= GeoplateformeGeocoder::kLongestQuery);
}

void MapServiceQueryTest::nominatimAnswer_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<GeocodeResult::Outcome>("outcome");
    using Outcome = GeocodeResult::Outcome;
    // Without address details the country is the end of the display name.
    const QByteArray noDetails(R"([{"lat":"50.84","lon":"4.36","display_name":)"
                               R"("Place des Palais, 1000, België / Belgique / Belgien"}])");
    QTest::newRow("country of the display name")
        << noDetails << u"Bruxelles, Belgique"_qs << Outcome::Found;
    QTest::newRow("another country of the display name")
        << noDetails << u"Bruxelles, France"_qs << Outcome::NoMatch;
    QTest::newRow("numbers not texts")
        << QByteArray(R"([{"lat":52.5,"lon":13.3}])") << u"Berlin"_qs << Outcome::Failed;
    QTest::newRow("text not a number")
        << QByteArray(R"([{"lat":"north","lon":"13.3"}])") << u"Berlin"_qs << Outcome::Failed;
    QTest::newRow("object") << QByteArray(R"({"error":"rate limited"})") << u"Berlin"_qs
                            << Outcome::Failed;
    QTest::newRow("garbage") << QByteArray("\x00\xFF garbage", 10) << u"Berlin"_qs
                             << Outcome::Failed;
}

void MapServiceQueryTest::nominatimAnswer() {
    QFETCH(QByteArray, json);
    QFETCH(QString, typed);
    QFETCH(GeocodeResult::Outcome, outcome);
    QCOMPARE(NominatimGeocoder::ReadAnswer(json, ParseAddressQuery(typed)).outcome, outcome);
}

void MapServiceQueryTest::nominatimParameters_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("parameters"); // after "format=jsonv2&addressdetails=1&limit=5"
    QTest::newRow("structured")
        << u"Unter den Linden 77, Berlin, Germany, 10117"_qs
        << QByteArray("&countrycodes=de&street=Unter%20den%20Linden%2077&city=Berlin"
                      "&postalcode=10117");
    QTest::newRow("France and its overseas places")
        << u"Rue de la Paix, Paris, FRANCE, 75002"_qs
        << QByteArray("&countrycodes=fr,gp,mq,gf,re,yt,pm,bl,mf&street=Rue%20de%20la%20Paix"
                      "&city=Paris&postalcode=75002");
    QTest::newRow("CEDEX code left out")
        << u", Paris Cedex 07, FRANCE, 75334"_qs
        << QByteArray("&countrycodes=fr,gp,mq,gf,re,yt,pm,bl,mf&q=Paris");
    QTest::newRow("one part, free text")
        << u"Graz, Autriche"_qs << QByteArray("&countrycodes=at&q=Graz");
    QTest::newRow("no country") << u"Berlin, 10115"_qs
                                << QByteArray("&city=Berlin&postalcode=10115");
}

void MapServiceQueryTest::nominatimParameters() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, parameters);
    QCOMPARE(NominatimGeocoder::Parameters(ParseAddressQuery(typed)),
             "format=jsonv2&addressdetails=1&limit=5" + parameters);
}

void MapServiceQueryTest::recordedAnswers_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QJsonValue>("place"); // [latitude, longitude], null or "failed"
    QTest::addColumn<int>("others");
    QFile file(QStringLiteral(TARNEL_RECORDED_DIR "/cases.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("cases.json cannot be read");
    }
    const QJsonObject table = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject sources = table.value(u"answers"_qs).toObject();
    for (const QJsonValue& value : table.value(u"cases"_qs).toArray()) {
        const QJsonObject row = value.toObject();
        const QString answer = row.value(u"answer"_qs).toString();
        if (sources.value(answer).toString().isEmpty()) {
            qFatal("%s has no source", qPrintable(answer));
        }
        const QString typed = row.value(u"typed"_qs).toString();
        QTest::addRow("%s: %s", qPrintable(answer), qPrintable(typed))
            << answer << typed << row.value(u"place"_qs) << row.value(u"others"_qs).toInt();
    }
}

void MapServiceQueryTest::recordedAnswers() {
    QFETCH(QString, answer);
    QFETCH(QString, typed);
    QFETCH(QJsonValue, place);
    QFETCH(int, others);
    QFile file(QStringLiteral(TARNEL_RECORDED_DIR "/") + answer + u".json"_qs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray body = file.readAll();
    const AddressQuery query = ParseAddressQuery(typed);
    QVERIFY2(query.problem.isEmpty(), qPrintable(query.problem));
    const GeocodeResult result = answer.startsWith(u"ban-"_qs)
                                     ? GeoplateformeGeocoder::ReadAnswer(body, query)
                                     : NominatimGeocoder::ReadAnswer(body, query);
    using Outcome = GeocodeResult::Outcome;
    const Outcome expected = place.isArray()    ? Outcome::Found
                             : place.isString() ? Outcome::Failed
                                                : Outcome::NoMatch;
    QCOMPARE(result.outcome, expected);
    if (expected == Outcome::Found) {
        QCOMPARE(result.place.latitude, place.toArray().at(0).toDouble());
        QCOMPARE(result.place.longitude, place.toArray().at(1).toDouble());
        QVERIFY(!result.label.isEmpty());
        QCOMPARE(int(result.others.size()), others);
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
