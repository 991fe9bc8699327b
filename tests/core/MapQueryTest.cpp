#include "core/MapQuery.h"

#include <QTest>

using namespace tarnel;

namespace {
const QString kBase = QStringLiteral("http://maps.example/maps?q=");
}

class MapQueryTest : public QObject {
    Q_OBJECT

private slots:
    void baseUrl_data();
    void baseUrl();
    void address_data();
    void address();
    void coordinates_data();
    void coordinates();
};

void MapQueryTest::baseUrl_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name") << "maps.example"
                          << "http://maps.example/maps?q=";
    QTest::newRow("address and port") << "127.0.0.1:47613"
                                      << "http://127.0.0.1:47613/maps?q=";
}

void MapQueryTest::baseUrl() {
    QFETCH(QString, host);
    QFETCH(QString, expected);
    QCOMPARE(MapServiceBaseUrl(host), expected);
}

void MapQueryTest::address_data() {
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("zipCode");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("saved");
    QTest::newRow("all four") << "1 rue X"
                              << "Paris"
                              << "FRANCE"
                              << "75001"
                              << "1 rue X,+Paris,+FRANCE,+75001"
                              << "1 rue X,+Paris,+FRANCE,+75001";
    QTest::newRow("no street") << ""
                               << "Paris"
                               << "FRANCE"
                               << "75001"
                               << "Paris,+FRANCE,+75001"
                               << ",+Paris,+FRANCE,+75001";
    QTest::newRow("no country") << "1 rue X"
                                << "Paris"
                                << ""
                                << "75001"
                                << "1 rue X,+Paris,+75001"
                                << "1 rue X,+Paris,+,+75001";
    QTest::newRow("no postal code") << "1 rue X"
                                    << "Paris"
                                    << "FRANCE"
                                    << ""
                                    << "1 rue X,+Paris,+FRANCE,+"
                                    << "1 rue X,+Paris,+FRANCE,+";
    QTest::newRow("postal code alone") << ""
                                       << ""
                                       << ""
                                       << "75001"
                                       << "75001"
                                       << ",+,+,+75001";
    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << ""
                               << ""
                               << ",+,+,+";
    QTest::newRow("hash, ampersand and question mark encoded")
        << "Résidence Les Pins #3"
        << "A & B"
        << "Où?"
        << "06000" << u"Résidence Les Pins %233,+A %26 B,+Où%3F,+06000"_qs
        << u"Résidence Les Pins #3,+A & B,+Où?,+06000"_qs;
    QTest::newRow("other characters as typed")
        << "Łódź 50%"
        << "x=1;y"
        << ""
        << "" << u"Łódź 50%,+x=1;y,+"_qs << u"Łódź 50%,+x=1;y,+,+"_qs;
    QTest::newRow("blank street is filled") << " "
                                            << "Paris"
                                            << ""
                                            << ""
                                            << " ,+Paris,+"
                                            << " ,+Paris,+,+";
}

void MapQueryTest::address() {
    QFETCH(QString, street);
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(QString, zipCode);
    QFETCH(QString, query);
    QFETCH(QString, saved);
    QCOMPARE(AddressQueryUrl(kBase, street, city, state, zipCode), kBase + query);
    QCOMPARE(AddressSavedValue(street, city, state, zipCode), saved);
}

void MapQueryTest::coordinates_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("saved");
    QTest::newRow("decimal") << "48.8584"
                             << "2.2945"
                             << "48.8584%2C2.2945"
                             << "48.8584,2.2945";
    QTest::newRow("south east") << "-33.8568"
                                << "151.2153"
                                << "-33.8568%2C151.2153"
                                << "-33.8568,151.2153";
    QTest::newRow("comma separators") << "48,8584"
                                      << "2,2945"
                                      << "48,8584%2C2,2945"
                                      << "48,8584,2,2945";
    QTest::newRow("not numbers") << "abc"
                                 << "def"
                                 << "abc%2Cdef"
                                 << "abc,def";
    QTest::newRow("hash and question mark") << "#48.8"
                                            << "2.2?"
                                            << "%2348.8%2C2.2%3F"
                                            << "#48.8,2.2?";
    QTest::newRow("degrees minutes seconds")
        << u"48°51'23\""_qs << u"2°17'40\""_qs << u"48°51'23\"%2C2°17'40\""_qs
        << u"48°51'23\",2°17'40\""_qs;
}

void MapQueryTest::coordinates() {
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(QString, query);
    QFETCH(QString, saved);
    QCOMPARE(CoordinateQueryUrl(kBase, latitude, longitude), kBase + query);
    QCOMPARE(CoordinateSavedValue(latitude, longitude), saved);
}

QTEST_GUILESS_MAIN(MapQueryTest)
#include "MapQueryTest.moc"
