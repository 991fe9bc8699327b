#include "mapservice/CoordinateText.h"
#include "mapservice/QueryText.h"

#include <QTest>
#include <string>

using namespace tarnel;

namespace {

constexpr double kTolerance = 1e-7;

} // namespace

// The pieces the map service reads its queries with: the query value, its decoding, coordinates.
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

QTEST_GUILESS_MAIN(MapServiceQueryTest)
#include "MapServiceQueryTest.moc"
