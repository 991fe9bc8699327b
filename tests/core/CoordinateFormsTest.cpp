#include "core/CoordinateForms.h"
#include "core/AngleText.h"
#include "core/ConicProjection.h"
#include "core/CoordinateFormReading.h"

#include <QTest>
#include <thread>
#include <vector>

using namespace tarnel;

Q_DECLARE_METATYPE(Axis)
Q_DECLARE_METATYPE(AngleReading::Outcome)

namespace {

QString FormText(const QList<CoordinateForm>& forms, const QString& key) {
    for (const CoordinateForm& form : forms) {
        if (form.key == key) {
            return form.text;
        }
    }
    return {};
}

} // namespace

// The forms of a point against values from outside the program, and their readers.
class CoordinateFormsTest : public QObject {
    Q_OBJECT

private slots:
    void conic_data();
    void conic();
    void texts_data();
    void texts();
    void readAngle_data();
    void readAngle();
    void readForm_data();
    void readForm();
    void formsCovering_data();
    void formsCovering();
    void sameFromEveryThread();
};

void CoordinateFormsTest::conic_data() {
    QTest::addColumn<int>("epsg");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    // Geodetic sites' RGF93 coordinates and Lambert 93 metres as IGN gives them, quoted in
    // github.com/yoyonel/bablib, qprog/libs/libOrientation/tags/ign_espace/extern/proj4/samples/
    // sample_2/sample2.cpp; WGS 84 is RGF93 through PROJ's null transformation.
    QTest::newRow("Amiens, cathedral") << 2154 << 49 + 53 / 60.0 + 41.4145 / 3600
                                       << 2 + 18 / 60.0 + 4.3616 / 3600 << 649750.13 << 6977570.07;
    QTest::newRow("Saint-Armel, Gulf of Morbihan")
        << 2154 << 47 + 34 / 60.0 + 36.8062 / 3600 << -(2 + 44 / 60.0 + 52.2471 / 3600) << 268287.44
        << 6735332.29;
    QTest::newRow("Marseille, church dome")
        << 2154 << 43 + 17 / 60.0 + 2.0040 / 3600 << 5 + 22 / 60.0 + 16.7784 / 3600 << 892556.27
        << 6245637.81;
    // Etalab's legal-projection test (github.com/etalab/project-legal, test.js).
    QTest::newRow("Paris, avenue de Ségur")
        << 2154 << 48.850244 << 2.308310 << 649242.57 << 6861355.85;
    // The conic zones: echo <lat> <lon> | cs2cs -d 3 EPSG:4326 EPSG:<epsg> (PROJ 9.1.1).
    QTest::newRow("Ajaccio CC42") << 3942 << 41.9192 << 8.7386 << 2175651.962 << 1206971.258;
    QTest::newRow("Perpignan CC43") << 3943 << 42.6887 << 2.8948 << 1691379.323 << 2165425.953;
    QTest::newRow("Brest CC48") << 3948 << 48.3904 << -4.4861 << 1146480.416 << 7270301.303;
    QTest::newRow("Strasbourg CC49") << 3949 << 48.5734 << 7.7521 << 2050430.422 << 8163534.876;
    QTest::newRow("Dunkerque CC50") << 3950 << 51.0344 << 2.3768 << 1656282.275 << 9315244.172;
}

void CoordinateFormsTest::conic() {
    QFETCH(int, epsg);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(double, x);
    QFETCH(double, y);
    const auto xy = ToConic(epsg, {latitude, longitude});
    QVERIFY(xy);
    QVERIFY2(qAbs(xy->x - x) <= 0.01 && qAbs(xy->y - y) <= 0.01,
             qPrintable(QStringLiteral("%1 %2").arg(xy->x, 0, 'f', 3).arg(xy->y, 0, 'f', 3)));
    const auto back = FromConic(epsg, {x, y});
    QVERIFY(back);
    QVERIFY(qAbs(back->latitude - latitude) < 1e-7 && qAbs(back->longitude - longitude) < 1e-7);
    // The form the page lists names the zone covering the latitude.
    const QList<CoordinateForm> forms = CoordinateForms(latitude, longitude);
    const QString key = epsg == kLambert93 ? QStringLiteral("l93") : QStringLiteral("cc");
    QVERIFY(
        FormText(forms, key)
            .endsWith(
                QStringLiteral("X = %1 m ; Y = %2 m").arg(xy->x, 0, 'f', 2).arg(xy->y, 0, 'f', 2)));
    if (epsg != kLambert93) {
        QVERIFY(FormText(forms, key).startsWith(QStringLiteral("CC%1 : ").arg(epsg - 3900)));
    }
}

void CoordinateFormsTest::texts_data() {
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<QStringList>("texts"); // "<key> <text>"
    // echo <lat> <lon> | GeoConvert -u -p 2, GeoConvert -m and GeoConvert -: -p 1 for the
    // seconds (GeographicLib 2.1).
    const auto row = [](const char* name, double latitude, double longitude, QStringList texts) {
        QTest::newRow(name) << latitude << longitude << texts;
    };
    row("Pointe-à-Pitre", 16.2411, -61.5331,
        {u"utm 20N 656770.90 1796166.18"_qs, u"mgrs 20QPC5677096166"_qs});
    row("Fort-de-France", 14.6161, -61.0588,
        {u"utm 20N 709096.32 1616759.73"_qs, u"mgrs 20PQB0909616759"_qs});
    row("Cayenne", 4.9372, -52.3260,
        {u"utm 22N 352980.20 545868.92"_qs, u"mgrs 22NCL5298045868"_qs});
    row("Saint-Denis de La Réunion", -20.8823, 55.4504,
        {u"utm 40S 338811.24 7690101.36"_qs, u"mgrs 40KCB3881190101"_qs});
    row("Mamoudzou", -12.7806, 45.2279,
        {u"utm 38S 524735.37 8587115.81"_qs, u"mgrs 38LNL2473587115"_qs});
    row("Paris", 48.8584, 2.2945,
        {u"utm 31N 448252.00 5411954.91"_qs, u"mgrs 31UDQ4825211954"_qs,
         u"dms 48°51'30.24\"N 2°17'40.20\"E"_qs, u"ddm 48°51.504'N 2°17.670'E"_qs});
    row("Norway's exception", 60.5, 5.5,
        {u"utm 32N 307793.02 6712209.07"_qs, u"mgrs 32VLN0779312209"_qs});
    row("south, ouest", -21.1151, -55.5364,
        {u"dms 21°06'54.36\"S 55°32'11.04\"O"_qs, u"ddm 21°06.906'S 55°32.184'O"_qs});
    row("rounding carries", 45.9999999, -0.9999999,
        {u"dms 46°00'00.00\"N 1°00'00.00\"O"_qs, u"ddm 46°00.000'N 1°00.000'O"_qs});
    row("nearly zero is north, east", -1e-9, -1e-9,
        {u"dms 0°00'00.00\"N 0°00'00.00\"E"_qs, u"ddm 0°00.000'N 0°00.000'E"_qs});
}

void CoordinateFormsTest::texts() {
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(QStringList, texts);
    const QList<CoordinateForm> forms = CoordinateForms(latitude, longitude);
    for (const QString& text : texts) {
        const QString key = text.section(u' ', 0, 0);
        QCOMPARE(FormText(forms, key), text.section(u' ', 1));
    }
    // The grid's centimetres read back to the point.
    const auto back = ReadCoordinateForm(u"utm", FormText(forms, u"utm"_qs));
    QVERIFY(back);
    QVERIFY(qAbs(back->latitude - latitude) < 1e-7 && qAbs(back->longitude - longitude) < 1e-7);
}

void CoordinateFormsTest::readAngle_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Axis>("axis");
    QTest::addColumn<AngleReading::Outcome>("outcome");
    QTest::addColumn<double>("degrees");
    using O = AngleReading::Outcome;
    const Axis lat = Axis::Latitude;
    const Axis lon = Axis::Longitude;
    const double paris = 48 + 51 / 60.0 + 30.2 / 3600;
    QTest::newRow("loose, decimal comma") << u"48° 51' 30,2\" N"_qs << lat << O::Read << paris;
    QTest::newRow("letter first, blanks") << u"N 48 51 30.2"_qs << lat << O::Read << paris;
    QTest::newRow("pasted blanks and marks")
        << u"48\u00A0°\u202F51′\u00A030.2″"_qs << lat << O::Read << paris;
    QTest::newRow("colons") << u"48:51:30.2N"_qs << lat << O::Read << paris;
    QTest::newRow("two apostrophes") << u"48°51'30.2''N"_qs << lat << O::Read << paris;
    QTest::newRow("ddm") << u"48°51.504'N"_qs << lat << O::Read << 48 + 51.504 / 60;
    QTest::newRow("ouest") << u"2°17.670'O"_qs << lon << O::Read << -(2 + 17.67 / 60);
    QTest::newRow("west, lower case")
        << u"w 2 17 40"_qs << lon << O::Read << -(2 + 17 / 60.0 + 40 / 3600.0);
    QTest::newRow("signed strict dms") << u"-0°30'0\""_qs << lat << O::Read << -0.5;
    QTest::newRow("seconds without a leading zero")
        << u"48°51'.5\""_qs << lat << O::Read << 48 + 51 / 60.0 + 0.5 / 3600;
    QTest::newRow("longitude letter in the latitude")
        << u"48°51'E"_qs << lat << O::Unreadable << 0.0;
    QTest::newRow("sign and letter") << u"-48°51'N"_qs << lat << O::Unreadable << 0.0;
    QTest::newRow("two letters") << u"N 48 S"_qs << lat << O::Unreadable << 0.0;
    QTest::newRow("decimals before minutes") << u"48.5 30"_qs << lat << O::Unreadable << 0.0;
    QTest::newRow("four numbers") << u"48 51 30 2"_qs << lat << O::Unreadable << 0.0;
    QTest::newRow("sixty seconds") << u"48°51'60\""_qs << lat << O::OutOfRange << 0.0;
    QTest::newRow("beyond the pole") << u"90°0'1\"N"_qs << lat << O::OutOfRange << 0.0;
    QTest::newRow("longitude 180") << u"180 O"_qs << lon << O::Read << -180.0;
    QTest::newRow("digits beyond double") << QString(400, u'9') << lon << O::OutOfRange << 0.0;
}

void CoordinateFormsTest::readAngle() {
    QFETCH(QString, text);
    QFETCH(Axis, axis);
    QFETCH(AngleReading::Outcome, outcome);
    QFETCH(double, degrees);
    const AngleReading reading = ReadAngle(text, axis);
    QCOMPARE(reading.outcome, outcome);
    if (outcome == AngleReading::Outcome::Read) {
        QVERIFY2(qAbs(reading.degrees - degrees) < 1e-9,
                 qPrintable(QString::number(reading.degrees, 'f', 9)));
    }
}

void CoordinateFormsTest::readForm_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("read");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    // Expected places: cs2cs -f %.8f EPSG:2154 EPSG:4326, and GeoConvert -p 3 on the same text.
    QTest::newRow("l93, decimal commas") << u"l93"_qs << u"X = 649242,57 m ; Y = 6861355,85 m"_qs
                                         << true << 48.85024402 << 2.30830994;
    QTest::newRow("l93, bare numbers")
        << u"l93"_qs << u"649242.57 6861355.85"_qs << true << 48.85024402 << 2.30830994;
    QTest::newRow("l93 off France") << u"l93"_qs << u"X = 0 m ; Y = 0 m"_qs << false << 0.0 << 0.0;
    QTest::newRow("cc zone unknown")
        << u"cc"_qs << u"CC51 : X = 1649241.10 m ; Y = 8183578.54 m"_qs << false << 0.0 << 0.0;
    QTest::newRow("utm lower-case hemisphere")
        << u"utm"_qs << u"40s 338811.24 7690101.36"_qs << true << -20.8823 << 55.4504;
    QTest::newRow("utm zone 61") << u"utm"_qs << u"61N 500000 0"_qs << false << 0.0 << 0.0;
    QTest::newRow("mgrs with blanks")
        << u"mgrs"_qs << u"38L NL 24735 87115"_qs << true << -12.78060282 << 45.22790116;
    QTest::newRow("mgrs nonsense") << u"mgrs"_qs << u"99ZZZ"_qs << false << 0.0 << 0.0;
    QTest::newRow("dms pair") << u"dms"_qs << u"21°06'54.36\"S 55°32'11.04\"O"_qs << true
                              << -21.1151 << -55.5364;
    QTest::newRow("unknown key") << u"lambert2"_qs << u"600000 2400000"_qs << false << 0.0 << 0.0;
}

void CoordinateFormsTest::readForm() {
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(bool, read);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const auto point = ReadCoordinateForm(key, text);
    QCOMPARE(point.has_value(), read);
    if (read) {
        QVERIFY(qAbs(point->latitude - latitude) < 1e-7 &&
                qAbs(point->longitude - longitude) < 1e-7);
    }
}

void CoordinateFormsTest::formsCovering_data() {
    QTest::addColumn<double>("latitude");
    QTest::addColumn<double>("longitude");
    QTest::addColumn<QString>("keys");
    QTest::newRow("Paris") << 48.8584 << 2.2945 << u"dd dms ddm l93 cc utm mgrs"_qs;
    QTest::newRow("Corsica below CC42") << 41.2 << 9.3 << u"dd dms ddm l93 utm mgrs"_qs;
    QTest::newRow("New York") << 40.7 << -74.0 << u"dd dms ddm utm mgrs"_qs;
    QTest::newRow("polar grid") << 85.0 << 10.0 << u"dd dms ddm mgrs"_qs;
    QTest::newRow("off Earth") << 91.0 << 0.0 << QString();
}

void CoordinateFormsTest::formsCovering() {
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    QFETCH(QString, keys);
    QStringList found;
    for (const CoordinateForm& form : CoordinateForms(latitude, longitude)) {
        found << form.key;
        const auto back = ReadCoordinateForm(form.key, form.text);
        QVERIFY2(back && qAbs(back->latitude - latitude) < 1e-4 &&
                     qAbs(back->longitude - longitude) < 1e-4,
                 qPrintable(form.text));
    }
    QCOMPARE(found.join(u' '), keys);
}

// The map service converts on its connection threads, all through the one locked PROJ session.
void CoordinateFormsTest::sameFromEveryThread() {
    const QString expected = FormText(CoordinateForms(43.2965, 5.3698), u"cc"_qs);
    std::vector<QString> texts(4);
    std::vector<std::thread> threads;
    for (QString& text : texts) {
        threads.emplace_back([&text] {
            for (int i = 0; i < 50; ++i) {
                text = FormText(CoordinateForms(43.2965, 5.3698), u"cc"_qs);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    QCOMPARE(texts, std::vector<QString>(4, expected));
}

QTEST_GUILESS_MAIN(CoordinateFormsTest)
#include "CoordinateFormsTest.moc"
