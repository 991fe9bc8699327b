#include "places/DuplicateFinding.h"
#include "places/PlaceFileImport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace tarnel;

namespace {

const QString kData = QStringLiteral(TARNEL_PLACES_DATA);

// A point of the tables: name, latitude, longitude, note, altitude (NaN for none).
struct Expected {
    QString name;
    double latitude;
    double longitude;
    QString note;
    double altitude = qQNaN();
};

QByteArray BillionLaughs() {
    QByteArray dtd = "<?xml version=\"1.0\"?>\n<!DOCTYPE gpx [\n<!ENTITY a0 \"ha\">\n";
    for (int i = 1; i < 10; ++i)
        dtd += QStringLiteral("<!ENTITY a%1 \"%2\">\n")
                   .arg(i)
                   .arg(QStringLiteral("&a%1;").arg(i - 1).repeated(10))
                   .toLatin1();
    return dtd + "]>\n<gpx version=\"1.1\"><wpt lat=\"1\" lon=\"2\"><name>&a9;</name></wpt></gpx>";
}

void Check(const PlaceFileReading& reading, int count, int index, const Expected& place,
           const QString& warnings) {
    QCOMPARE(reading.problem, QString());
    QCOMPARE(reading.places.size(), count);
    const SavedPlace& read = reading.places[index];
    QCOMPARE(read.name, place.name);
    QCOMPARE(read.latitude, place.latitude);
    QCOMPARE(read.longitude, place.longitude);
    QCOMPARE(read.note, place.note);
    QCOMPARE(read.altitude.value_or(qQNaN()), place.altitude);
    QCOMPARE(reading.warnings.join(u' '), warnings);
}

} // namespace

Q_DECLARE_METATYPE(Expected)

class PlaceImportTest : public QObject {
    Q_OBJECT

private slots:
    // Files written by GPS programs and GIS tools (see data/README.md).
    void realFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("routeAndTrack");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::addColumn<Expected>("place");
        QTest::addColumn<QString>("warnings");
        QTest::newRow("GPSBabel, GPX 1.0")
            << "gpsbabel-geocaching.gpx" << false << 9 << 6
            << Expected{"GC309F", 36.087766667, -86.809733333, "Shy's Hill by FireFighterEng33"}
            << "";
        QTest::newRow("BaseCamp, waypoints only")
            << "garmin-basecamp.gpx" << false << 2 << 1
            << Expected{"Hwy 72", 40.00396728515625, -105.49896240234375, ""}
            << "4 points d'itinéraires ou de traces ont été laissés de côté (seuls les points de "
               "passage sont importés).";
        QTest::newRow("BaseCamp, route and track points")
            << "garmin-basecamp.gpx" << true << 6 << 5
            << Expected{"Hwy 119 to Hwy 72 (2)", 40.00396728515625, -105.49896240234375, ""} << "";
        QTest::newRow("KML folders") << "giscore-display-mode.kml" << false << 6 << 3
                                     << Expected{"desc default", 37, -122.001, "is default"} << "";
        QTest::newRow("KML MultiGeometry") << "giscore-polygon-point.kml" << false << 1 << 0
                                           << Expected{"Adelaide", -34.91, 138.6, ""} << "";
        QTest::newRow("KML other geometries")
            << "gdal-non-conformant-multi.kml" << false << 1 << 0 << Expected{"", 0, 0, ""}
            << "2 repères sans point ont été laissés de côté (lignes, polygones).";
        QTest::newRow("GeoJSON with a height") << "gdal-featurecollection-pointz.json" << false << 1
                                               << 0 << Expected{"", 2, 1, "", 3} << "";
        QTest::newRow("GeoJSON bare Feature, byte order mark")
            << "gdal-point-with-utf8bom.json" << false << 1 << 0 << Expected{"", 0, 100, ""} << "";
        QTest::newRow("ogr2ogr GeoJSON")
            << "gdal-ogr2ogr-geocaching.geojson" << false << 9 << 1
            << Expected{"GC1A37", 36.090683333, -86.67955, "The Troll by a182pilot & Family"} << "";
        QTest::newRow("ogr2ogr MultiPoint, \"Name\"")
            << "gdal-ogr2ogr-display-mode-multipoint.geojson" << false << 3 << 2
            << Expected{"no desc empty", 37.002, -122, ""} << "";
    }
    void realFiles() {
        QFETCH(QString, file);
        QFETCH(bool, routeAndTrack);
        QFETCH(int, count);
        QFETCH(int, index);
        QFETCH(Expected, place);
        QFETCH(QString, warnings);
        const PlaceFileReading reading = ReadPlaceFile(kData + u'/' + file, routeAndTrack);
        Check(reading, count, index, place, warnings);
    }

    // Shapes the files above do not show.
    void shapes_data() {
        QTest::addColumn<int>("format"); // as ExportFormat
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index");
        QTest::addColumn<Expected>("place");
        QTest::addColumn<QString>("warnings");
        const int gpx = int(ExportFormat::Gpx);
        const int kml = int(ExportFormat::Kml);
        const int geojson = int(ExportFormat::GeoJson);
        QTest::newRow("GPX: unnamed waypoint after a route")
            << gpx
            << QByteArray("<gpx><rte><name>R</name><rtept lat='1' lon='2'/></rte>"
                          "<wpt lat='3' lon='4'><cmt> c </cmt><ele>x</ele></wpt></gpx>")
            << 2 << 1 << Expected{"", 3, 4, "c"} << "";
        QTest::newRow("KML: nested MultiGeometry")
            << kml
            << QByteArray("<kml><Document><Folder><Folder><Placemark><name>P</name><MultiGeometry>"
                          "<Point><coordinates>1,2</coordinates></Point><MultiGeometry><Point>"
                          "<coordinates> 3,4,5 </coordinates></Point></MultiGeometry>"
                          "</MultiGeometry></Placemark></Folder></Folder></Document></kml>")
            << 2 << 1 << Expected{"P", 4, 3, "", 5} << "";
        QTest::newRow("GeoJSON: \"nom\" before \"title\"")
            << geojson
            << QByteArray("{\"type\":\"Feature\",\"properties\":{\"title\":\"T\",\"NOM\":\"N\","
                          "\"desc\":\"d\"},\"geometry\":{\"type\":\"Point\","
                          "\"coordinates\":[-180,-90]}}")
            << 1 << 0 << Expected{"N", -90, -180, "d"} << "";
        QTest::newRow("GeoJSON: \"title\", collection, no geometry")
            << geojson
            << QByteArray("{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\","
                          "\"properties\":{\"title\":\"T\"},\"geometry\":{\"type\":"
                          "\"GeometryCollection\",\"geometries\":[{\"type\":\"Point\","
                          "\"coordinates\":[1,2]}]}},{\"type\":\"Feature\",\"geometry\":null}]}")
            << 1 << 0 << Expected{"T", 2, 1, ""}
            << "1 objet sans point a été laissé de côté (lignes, polygones).";
    }
    void shapes() {
        QFETCH(int, format);
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(int, index);
        QFETCH(Expected, place);
        QFETCH(QString, warnings);
        Check(ReadPlaceBytes(bytes, ExportFormat(format), true), count, index, place, warnings);
    }

    // Wrong or hostile files are refused with the reason, and nothing is read.
    void refused_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>(
            "problem"); // after "Le fichier « <path> » n'a pas été importé : "
        const QByteArray deep = QByteArray("<a>").repeated(100);
        QTest::newRow("entity expansion") << "bomb.gpx" << BillionLaughs()
                                          << "Le fichier déclare des entités XML, ce qu'aucun "
                                             "fichier GPX ne fait : il n'a pas été "
                                             "lu, par prudence.";
        QTest::newRow("external entity")
            << "xxe.kml"
            << QByteArray("<?xml version=\"1.0\"?><!DOCTYPE kml [<!ENTITY x SYSTEM "
                          "\"file:///etc/passwd\">]><kml><Placemark><name>&x;</name><Point>"
                          "<coordinates>1,2</coordinates></Point></Placemark></kml>")
            << "Le fichier déclare des entités XML, ce qu'aucun fichier KML ne fait : il n'a pas "
               "été "
               "lu, par prudence.";
        QTest::newRow("undeclared entity")
            << "e.gpx" << QByteArray("<gpx><wpt lat=\"1\" lon=\"2\"><name>&x;</name></wpt></gpx>")
            << "Le fichier n'est pas un fichier GPX lisible : son XML est incorrect à la ligne 1.";
        QTest::newRow("deep XML") << "deep.kml"
                                  << "<kml>" + deep
                                  << "Les éléments du fichier sont imbriqués sur plus de 64 "
                                     "niveaux : ce n'est pas un fichier KML ordinaire, il n'a pas "
                                     "été lu.";
        QTest::newRow("deep JSON")
            << "deep.json" << QByteArray("[").repeated(5000)
            << "Les éléments du fichier GeoJSON sont imbriqués trop profondément : il n'a pas été "
               "importé.";
        QTest::newRow("deep geometries")
            << "deep.geojson"
            << QByteArray("{\"type\":\"GeometryCollection\",\"geometries\":[").repeated(70) +
                   QByteArray("]}").repeated(70)
            << "Les géométries du fichier GeoJSON sont imbriquées sur plus de 64 niveaux : il n'a "
               "pas été importé.";
        QTest::newRow("KML named .gpx")
            << "kml.gpx" << QByteArray("<kml><Placemark/></kml>")
            << "Ce fichier n'est pas un fichier GPX : son élément principal est « kml ».";
        QTest::newRow("JSON named .gpx") << "json.gpx" << QByteArray("{\"type\":\"Point\"}")
                                         << "Le fichier n'est pas un fichier GPX lisible : son "
                                            "XML est incorrect à la ligne 1.";
        QTest::newRow("GPX named .geojson") << "gpx.geojson" << QByteArray("<gpx/>")
                                            << "Le fichier n'est pas un fichier GeoJSON lisible : "
                                               "son JSON est incorrect à l'octet 1.";
        QTest::newRow("JSON, not GeoJSON") << "list.json" << QByteArray("[1, 2]")
                                           << "Ce fichier n'est pas un fichier GeoJSON : il n'est "
                                              "pas un objet avec un « type ».";
        const QString point = u"Le point n° %1 du fichier n'a pas de coordonnées valables (« %2 ») "
                              ": le fichier n'a pas été importé."_qs;
        QTest::newRow("latitude beyond 90")
            << "far.gpx"
            << QByteArray("<gpx><wpt lat=\"1\" lon=\"2\"/><wpt lat=\"90.5\" lon=\"2\"/></gpx>")
            << point.arg(2).arg("90.5, 2");
        QTest::newRow("NaN") << "nan.gpx" << QByteArray("<gpx><wpt lat=\"NaN\" lon=\"2\"/></gpx>")
                             << point.arg(1).arg("NaN, 2");
        QTest::newRow("KML infinity")
            << "inf.kml"
            << QByteArray("<kml><Placemark><Point><coordinates>inf,2</coordinates></Point>"
                          "</Placemark></kml>")
            << point.arg(1).arg("inf,2");
        QTest::newRow("GeoJSON longitude")
            << "far.geojson"
            << QByteArray("{\"type\":\"MultiPoint\",\"coordinates\":[[1,2],[180.5,2]]}")
            << point.arg(2).arg("[[180.5,2]]");
        QTest::newRow("no point") << "empty.gpx" << QByteArray("<gpx version=\"1.1\"/>")
                                  << "il ne contient aucun point.";
        QTest::newRow("other extension") << "places.csv" << QByteArray("1,2")
                                         << "seuls les fichiers .gpx, .kml, .geojson et "
                                            ".json sont lus.";
        // A sparse file: 2 GB that take no room on disk and are never read.
        QTest::newRow("2 GB line") << "huge.gpx" << QByteArray() << "il dépasse 64 Mo.";
    }
    void refused() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        QTemporaryDir folder;
        const QString path = folder.filePath(file);
        QFile written(path);
        QVERIFY(written.open(QIODevice::WriteOnly) && written.write(bytes) == bytes.size());
        if (bytes.isEmpty())
            QVERIFY(written.resize(qint64(2) << 30));
        written.close();
        QElapsedTimer timer;
        timer.start();
        const PlaceFileReading reading = ReadPlaceFile(path, true);
        QVERIFY(timer.elapsed() < 1000);
        QCOMPARE(reading.problem,
                 u"Le fichier « %1 » n'a pas été importé : "_qs.arg(path) + problem);
        QVERIFY(reading.places.isEmpty());
    }

    void duplicates() {
        const auto at = [](const char* name, double latitude, double longitude, qint64 id = 0) {
            SavedPlace place;
            place.id = id;
            place.name = QString::fromUtf8(name);
            place.latitude = latitude;
            place.longitude = longitude;
            return place;
        };
        const QList<SavedPlace> stored{at("Phare", 48, -4.5, 7), at("Gare", 48, -4.5, 8)};
        const QList<SavedPlace> incoming{
            at("Phare", 48.000008, -4.5),  // 0.9 m from the stored one
            at("Phare", 48.00001, -4.5),   // 1.1 m from it, 0.2 m from the one above
            at("Cale", 1, 1),              //
            at("Cale ", 1, 1.000008),      // 0.9 m from the one above, blank aside
            at("cale", 1, 1),              // another name
            at("Phare", 48.0000185, -4.5), // 0.95 m from the second, 1.2 m from the first
        };
        QList<std::tuple<qsizetype, qint64, qsizetype>> found;
        for (const Duplicate& duplicate : FindDuplicates(incoming, stored))
            found.append({duplicate.index, duplicate.storedId, duplicate.earlierIndex});
        QCOMPARE(found, (QList<std::tuple<qsizetype, qint64, qsizetype>>{
                            {0, 7, -1}, {1, 0, 0}, {3, 0, 2}, {5, 0, 1}}));
    }
};

QTEST_GUILESS_MAIN(PlaceImportTest)
#include "PlaceImportTest.moc"
