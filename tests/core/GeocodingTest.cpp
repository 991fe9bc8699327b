#include "core/Geocoding.h"

#include <QTest>

using namespace tarnel;

namespace {

// A page whose first start marker is followed by `body` and the end marker: the distance
// between "lat" and "}," is the body's length + 4.
QByteArray Page(const QByteArray& body) {
    return "<html>viewport:{center:{lat:" + body + "},span:{lat:0.1,lng:0.2}}</html>";
}

} // namespace

class GeocodingTest : public QObject {
    Q_OBJECT

private slots:
    void missingData_data();
    void missingData();
    void requestUrl_data();
    void requestUrl();
    void extract_data();
    void extract();
    void notExtracted_data();
    void notExtracted();
};

void GeocodingTest::missingData_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("zipCode");
    QTest::addColumn<bool>("missing");
    QTest::newRow("both filled") << "FRANCE"
                                 << "75004" << false;
    QTest::newRow("no country") << ""
                                << "75004" << true;
    QTest::newRow("blank country") << "   "
                                   << "75004" << true;
    QTest::newRow("blank postal code") << "FRANCE"
                                       << "   " << true;
    QTest::newRow("neither") << ""
                             << "" << true;
    QTest::newRow("tab is not a blank") << "FRANCE"
                                        << "\t" << false;
}

void GeocodingTest::missingData() {
    QFETCH(QString, state);
    QFETCH(QString, zipCode);
    QFETCH(bool, missing);
    QCOMPARE(MissingData(state, zipCode), missing);
}

void GeocodingTest::requestUrl_data() {
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("zipCode");
    QTest::addColumn<QString>("query");
    QTest::newRow("default address") << u"Rue de la cité"_qs << "PARIS"
                                     << "FRANCE"
                                     << "75004" << u"Rue+de+la+cité,+PARIS,+FRANCE,+75004"_qs;
    QTest::newRow("blanks around dropped")
        << u"  Rue de la cité "_qs << " PARIS"
        << "FRANCE  "
        << " 75004 " << u"Rue+de+la+cité,+PARIS,+FRANCE,+75004"_qs;
    QTest::newRow("empty street and town") << ""
                                           << ""
                                           << "FRANCE"
                                           << "75004"
                                           << ",+,+FRANCE,+75004";
    QTest::newRow("hash, ampersand and question mark encoded")
        << u"Résidence Les Pins #3"_qs << "A&B"
        << "FRANCE?"
        << "06000" << u"Résidence+Les+Pins+%233,+A%26B,+FRANCE%3F,+06000"_qs;
    QTest::newRow("letters beyond windows-1252 as typed")
        << "ul. Piotrkowska 1" << u"Łódź"_qs << "Pologne"
        << "90-001" << u"ul.+Piotrkowska+1,+Łódź,+Pologne,+90-001"_qs;
    QTest::newRow("commas stay") << "1, rue X"
                                 << "Paris"
                                 << "FR"
                                 << "75001"
                                 << "1,+rue+X,+Paris,+FR,+75001";
}

void GeocodingTest::requestUrl() {
    QFETCH(QString, street);
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(QString, zipCode);
    QFETCH(QString, query);
    QCOMPARE(GeocodingRequestUrl(u"http://maps.example/maps?q="_qs, street, city, state, zipCode),
             u"http://maps.example/maps?q="_qs + query);
    QCOMPARE(GeocodingRequestUrl(u"http://my host/maps?q="_qs, street, city, state, zipCode),
             u"http://my+host/maps?q="_qs + query);
}

void GeocodingTest::extract_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::newRow("worked example") << Page("48.856614,lng:2.352222") << "48.856614000"
                                    << "2.3522220000";
    QTest::newRow("south and east")
        << QByteArray(":{lat:-33.8688197,lng:151.2092955},") << "-33.86881970"
        << "151.20929550";
    QTest::newRow("long values cut to 12")
        << QByteArray(":{lat:-33.868819712,lng:151.20929551234},") << "-33.86881971"
        << "151.20929551";
    QTest::newRow("upper-case page")
        << QByteArray("VIEWPORT:{CENTER:{LAT:48.856614,LNG:2.352222},") << "48.856614000"
        << "2.3522220000";
    QTest::newRow("mixed-case marker")
        << QByteArray("x:{LaT:48.856614,lng:2.352222},") << "48.856614000"
        << "2.3522220000";
    QTest::newRow("distance 21") << Page("48.85,lng:2.35222") << "48.850000000"
                                 << "2.3522200000";
    QTest::newRow("distance 199") << Page("48.85,lng:2." + QByteArray(183, '1')) << "48.850000000"
                                  << "2.1111111111";
    QTest::newRow("end marker before the start is ignored")
        << QByteArray("},},:{lat:48.856614,lng:2.352222},") << "48.856614000"
        << "2.3522220000";
    QTest::newRow("colons before the marker")
        << QByteArray(5000, ':') + ":{la:{lat:48.856614,lng:2.352222},"
        << "48.856614000"
        << "2.3522220000";
    for (const int gap : {15, 16, 17, 1000}) {
        QTest::addRow("marker after %d plain bytes", gap)
            << QByteArray(gap, 'x') + ":{lat:48.856614,lng:2.352222},"
            << "48.856614000"
            << "2.3522220000";
    }
    QTest::newRow("cut decoded and lower-cased")
        << Page("48.856614,LNG:2.3522\xC9X") << "48.856614000" << u"2.3522éx0000"_qs;
}

void GeocodingTest::extract() {
    QFETCH(QByteArray, page);
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    const auto result = ExtractCoordinates(page);
    QVERIFY(result);
    QCOMPARE(result->latitude, latitude);
    QCOMPARE(result->longitude, longitude);
}

void GeocodingTest::notExtracted_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::newRow("empty page") << QByteArray();
    QTest::newRow("no start marker") << QByteArray("<html>lat:48.856614,lng:2.352222},</html>");
    QTest::newRow("no end marker") << QByteArray("x:{lat:48.856614,lng:2.352222}");
    QTest::newRow("marker at the very end") << QByteArray("x:{lat:");
    QTest::newRow("marker cut short by the page end") << QByteArray(1000, 'x') + ":{lat";
    QTest::newRow("distance 20") << Page("48.85,lng:2.3522");
    QTest::newRow("distance 200") << Page("48.85,lng:2." + QByteArray(184, '1'));
    QTest::newRow("first marker too close, later one fits")
        << QByteArray(":{lat:1},") + Page("48.856614,lng:2.352222");
    QTest::newRow("first marker too far, later one fits")
        << QByteArray(":{lat:") + QByteArray(300, '1') + Page("48.856614,lng:2.352222");
    QTest::newRow("cut without comma") << Page("48.856614;lng:2.352222");
    QTest::newRow("latitude zero") << Page("0.0000000000,lng:0.35222");
    QTest::newRow("longitude zero on the prime meridian") << Page("48.856614,lng:0.0000000000");
    QTest::newRow("latitude not a number") << Page("abc.856614,lng:2.352222");
    QTest::newRow("four characters after the comma") << Page("48.85661400000000000,lng:");
    QTest::newRow("three characters after the comma") << Page("48.856614000000000000,lng");
    QTest::newRow("latitude beyond the number range") << Page("1e999999999,lng:2.352222");
}

void GeocodingTest::notExtracted() {
    QFETCH(QByteArray, page);
    QVERIFY(!ExtractCoordinates(page));
}

QTEST_GUILESS_MAIN(GeocodingTest)
#include "GeocodingTest.moc"
