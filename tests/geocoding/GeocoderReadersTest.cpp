// The geocoders' pieces: addresses read from a query, the readers of both geocoders' answers (real
// answers recorded by public projects among them), the turns of the rate limiter and the cache.

#include "geocoding/AddressQuery.h"
#include "geocoding/CachingGeocoder.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/NominatimGeocoder.h"
#include "geocoding/RateLimiter.h"

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

class GeocoderReadersTest : public QObject {
    Q_OBJECT

private slots:
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

void GeocoderReadersTest::address_data() {
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

void GeocoderReadersTest::address() {
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

void GeocoderReadersTest::nationalAddressAnswer_data() {
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

void GeocoderReadersTest::nationalAddressAnswer() {
    QFETCH(QByteArray, json);
    QFETCH(GeocodeResult::Outcome, outcome);
    const AddressQuery typed = ParseAddressQuery(u"Rue de la Cité, Paris, FRANCE, 75004"_qs);
    QCOMPARE(GeoplateformeGeocoder::ReadAnswer(json, typed).outcome, outcome);
}

void GeocoderReadersTest::nationalQueryText_data() {
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

void GeocoderReadersTest::nationalQueryText() {
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    const QString text = GeoplateformeGeocoder::QueryText(ParseAddressQuery(typed));
    QCOMPARE(text, sent);
    QVERIFY(text.size() <= GeoplateformeGeocoder::kLongestQuery);
}

void GeocoderReadersTest::nominatimAnswer_data() {
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

void GeocoderReadersTest::nominatimAnswer() {
    QFETCH(QByteArray, json);
    QFETCH(QString, typed);
    QFETCH(GeocodeResult::Outcome, outcome);
    QCOMPARE(NominatimGeocoder::ReadAnswer(json, ParseAddressQuery(typed)).outcome, outcome);
}

void GeocoderReadersTest::nominatimParameters_data() {
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

void GeocoderReadersTest::nominatimParameters() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, parameters);
    QCOMPARE(NominatimGeocoder::Parameters(ParseAddressQuery(typed)),
             "format=jsonv2&addressdetails=1&limit=5" + parameters);
}

void GeocoderReadersTest::recordedAnswers_data() {
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

void GeocoderReadersTest::recordedAnswers() {
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

void GeocoderReadersTest::rateLimiterSpacesTurns_data() {
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<int>("maxWaitMs");
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("granted");
    QTest::newRow("all fit") << 100 << 1000 << 4 << 4;
    QTest::newRow("queue bounded") << 100 << 250 << 6 << 3;
}

void GeocoderReadersTest::rateLimiterSpacesTurns() {
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

void GeocoderReadersTest::rateLimiterWaitIsCancelled() {
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

void GeocoderReadersTest::cacheForgetsTheLeastRecentlyUsed_data() {
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

void GeocoderReadersTest::cacheForgetsTheLeastRecentlyUsed() {
    QFETCH(QStringList, lookups);
    QFETCH(AskedCounts, asked);
    QHash<QString, int> counted;
    CachingGeocoder cache(std::make_unique<CountingGeocoder>(counted), 3);
    for (const QString& address : lookups) {
        QCOMPARE(cache.Locate(address).outcome, GeocodeResult::Outcome::Found);
    }
    QCOMPARE(counted, asked);
}
QTEST_GUILESS_MAIN(GeocoderReadersTest)
#include "GeocoderReadersTest.moc"
