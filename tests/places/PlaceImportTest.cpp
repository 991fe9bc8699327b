#include "places/DuplicateFinding.h"
#include "places/PlaceFileImport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;

namespace {

// What a file reads as: how many places, and the one at `index`.
struct Expected {
    int count;
    int index;
    QString name;
    double latitude;
    double longitude;
    QString note = {};
    double altitude = qQNaN(); // NaN for none
    QString address = {};
};

} // namespace

Q_DECLARE_METATYPE(Expected)

class PlaceImportTest : public QObject {
    Q_OBJECT

private slots:
    // Files written by GPS programs, GIS tools and spreadsheets (see data/README.md), waypoints
    // only; then shapes and tables they do not show, given as `bytes` and read with route and
    // track points. Then wrong or hostile files, refused with the reason, nothing read.
    void reads_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Expected>("expected"); // no place for a file refused
        // The warnings, or the reason a file is refused after "Le fichier « <path> » n'a pas été
        // importé : ".
        QTest::addColumn<QString>("said");
        const auto row = [](const char* name, const char* file, const Expected& expected,
                            const char* said = "", const QByteArray& bytes = {}) {
            QTest::newRow(name) << QString::fromLatin1(file) << bytes << expected
                                << QString::fromUtf8(said);
        };
        row("GPSBabel, GPX 1.0", "gpsbabel-geocaching.gpx",
            {9, 6, "GC309F", 36.087766667, -86.809733333, "Shy's Hill by FireFighterEng33"});
        row("BaseCamp, waypoints only", "garmin-basecamp.gpx",
            {2, 1, "Hwy 72", 40.00396728515625, -105.49896240234375},
            "4 points d'itinéraires ou de traces ont été laissés de côté (seuls les points de "
            "passage sont importés).");
        row("KML folders", "giscore-display-mode.kml",
            {6, 3, "desc default", 37, -122.001, "is default"});
        row("KML MultiGeometry", "giscore-polygon-point.kml", {1, 0, "Adelaide", -34.91, 138.6});
        row("KML other geometries", "gdal-non-conformant-multi.kml", {1, 0, "", 0, 0},
            "2 repères sans point ont été laissés de côté (lignes, polygones).");
        row("GeoJSON with a height", "gdal-featurecollection-pointz.json", {1, 0, "", 2, 1, "", 3});
        row("GeoJSON bare Feature, byte order mark", "gdal-point-with-utf8bom.json",
            {1, 0, "", 0, 100});
        row("ogr2ogr MultiPoint, \"Name\"", "gdal-ogr2ogr-display-mode-multipoint.geojson",
            {3, 2, "no desc empty", 37.002, -122});
        row("GPX: unnamed waypoint after a route", "r.gpx", {2, 1, "", 3, 4, "c"}, "",
            "<gpx><rte><name>R</name><rtept lat='1' lon='2'/></rte>"
            "<wpt lat='3' lon='4'><cmt> c </cmt><ele>x</ele></wpt></gpx>");
        row("GeoJSON: \"nom\" before \"title\"", "n.geojson", {1, 0, "N", -90, -180, "d"}, "",
            R"({"type":"Feature","properties":{"title":"T","NOM":"N","desc":"d"},)"
            R"("geometry":{"type":"Point","coordinates":[-180,-90]}})");
        row("GeoJSON: \"title\", collection, no geometry", "t.geojson", {1, 0, "T", 2, 1},
            "1 objet sans point a été laissé de côté (lignes, polygones).",
            R"({"type":"FeatureCollection","features":[{"type":"Feature",)"
            R"("properties":{"title":"T"},"geometry":{"type":"GeometryCollection",)"
            R"("geometries":[{"type":"Point","coordinates":[1,2]}]}},)"
            R"({"type":"Feature","geometry":null}]})");
        // Every row of GPSBabel's angles reads, in its degrees, minutes and seconds forms.
        row("GPSBabel CSV, angles as people write them", "gpsbabel-human-degrees.csv",
            {19, 11, "Ligne 13", -1.234, -5.678, "point11"});
        const char* thoreau =
            "In \"Where I Lived, and What I Lived For,\" Thoreau states directly his purpose for "
            "going into the woods: \"I went to the woods because I wished to live deliberately, to "
            "front only the essential facts of life, and see if I could not learn what it had to "
            "teach, and not, when I came to die, discover that I had not lived.\"";
        for (const char* file : {"gpsbabel-libreoffice.csv", "libreoffice-from-gpsbabel.ods",
                                 "libreoffice-from-gpsbabel.xlsx"})
            row(file, file, {1, 0, "Boulder, Colorado", 40.015, -105.2705, thoreau});
        row("Excel CSV: windows-1252, decimal commas", "excel.csv",
            {2, 1, "Église Saint-Michel", 45.75, 4.85, "clé à demander", 170.5,
             "Place Saint-Michel, Lyon"},
            "",
            "Nom;Latitude;Longitude;Alt;Adresse;Commentaire\r\nGare;48,8443;2,3744;;;\r\n"
            "\xC9glise Saint-Michel;45,75;4,85;170,5;Place Saint-Michel, Lyon;"
            "cl\xE9 \xE0 demander\r\n");
        row("UTF-8 CSV: a row unread, one named after its address", "utf8.csv",
            {2, 1, "3 rue Haute, Caen", 49.18, -0.37, "", qQNaN(), "3 rue Haute, Caen"},
            "1 ligne a été laissée de côté, ses coordonnées "
            "n'ayant pas pu être lues (ligne 3).",
            "title,lng,lat,address\nPhare,-4.5,48.0,\nQuai,2,abc,\n,,,\n,-0.37,49.18,\"3 rue "
            "Haute, Caen\"\n");
        row("one coordinates column, every form", "forms.csv",
            {4, 3, "Ligne 5", -12.78060282, 45.22790116},
            "2 lignes ont été laissées de côté, leurs coordonnées "
            "n'ayant pas pu être lues (lignes 6 et 7).",
            "Coordonnées_GPS\n\"48.8584, 2.2945\"\n\"48,85, 2,29\"\n"
            "48°51′30.24″N 2°17′40.20″E\n38L NL 24735 87115\n"
            "nulle part\n\"91, 2\"\n");
        row("Lambert 93 in x and y", "l93.csv", {1, 0, "Tour", 48.85024402, 2.30830994}, "",
            "nom;x;y\nTour;649242,57;6861355,85\n");
        QByteArray bomb = "<!DOCTYPE gpx [<!ENTITY a0 'ha'>";
        for (int i = 1; i < 10; ++i)
            bomb += "<!ENTITY a" + QByteArray::number(i) + " '" +
                    ("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "'>";
        const auto bad = [](const char* name, const char* file, const QByteArray& bytes,
                            const char* problem) {
            QTest::newRow(name) << QString::fromLatin1(file) << bytes << Expected{}
                                << QString::fromUtf8(problem);
        };
        bad("entity expansion", "bomb.gpx",
            bomb + "]><gpx><wpt lat='1' lon='2'><name>&a9;</name></wpt></gpx>",
            "Le fichier déclare des entités XML, ce qu'aucun fichier GPX ne fait : il n'a pas été "
            "lu, par prudence.");
        bad("undeclared entity", "e.gpx", "<gpx><wpt lat='1' lon='2'><name>&x;</name></wpt></gpx>",
            "Le fichier n'est pas un fichier GPX lisible : son XML est incorrect à la ligne 1.");
        bad("deep XML", "deep.kml", "<kml>" + QByteArray("<a>").repeated(100),
            "Les éléments du fichier sont imbriqués sur plus de 64 niveaux : ce n'est pas un "
            "fichier KML ordinaire, il n'a pas été lu.");
        bad("deep JSON", "deep.json", QByteArray("[").repeated(5000),
            "Les éléments du fichier GeoJSON sont imbriqués trop profondément : il n'a pas été "
            "importé.");
        bad("deep geometries", "deep.geojson",
            QByteArray(R"({"type":"GeometryCollection","geometries":[)").repeated(70) +
                QByteArray("]}").repeated(70),
            "Les géométries du fichier GeoJSON sont imbriquées sur plus de 64 niveaux : il n'a "
            "pas été importé.");
        bad("KML named .gpx", "kml.gpx", "<kml><Placemark/></kml>",
            "Ce fichier n'est pas un fichier GPX : son élément principal est « kml ».");
        bad("GPX named .geojson", "gpx.geojson", "<gpx/>",
            "Le fichier n'est pas un fichier GeoJSON lisible : son JSON est incorrect à l'octet "
            "1.");
        bad("JSON, not GeoJSON", "list.json", "[1, 2]",
            "Ce fichier n'est pas un fichier GeoJSON : il n'est pas un objet avec un « type ».");
        bad("GPX NaN, second point", "nan.gpx",
            "<gpx><wpt lat='1' lon='2'/><wpt lat='NaN' lon='2'/></gpx>",
            "Le point n° 2 du fichier n'a pas de coordonnées valables (« NaN, 2 ») : le "
            "fichier n'a pas été importé.");
        bad("no point", "empty.gpx", "<gpx version='1.1'/>", "il ne contient aucun point.");
        bad("other extension", "places.txt", "1,2",
            "seuls les fichiers .gpx, .kml, .geojson, .json, .csv, .xlsx et .ods sont lus.");
        // A sparse file: 2 GB that take no room on disk and are never read.
        bad("2 GB", "huge.gpx", {}, "il dépasse 64 Mo.");
        bad("table without coordinates", "t.csv", "nom;ville\nA;B\n",
            "Le tableau n'a pas de colonnes de coordonnées : sa première ligne doit nommer une "
            "colonne « latitude » et une colonne « longitude », ou une colonne « coordonnées ».");
        bad("table, no row read", "bad.csv", "lat,lon\n1,x\n2,y\n3\n4,\n5,-\n,\n95,1\n",
            "il ne contient aucun point. 6 lignes ont été laissées de côté, leurs coordonnées "
            "n'ayant pas pu être lues (les premières : lignes 2, 3, 4, 5 et 6).");
        bad("binary named .csv", "bin.csv", QByteArray("PK\0\0\x01\x02", 6),
            "Ce fichier n'est ni un tableau CSV ni un classeur XLSX ou ODS : il contient des "
            "données binaires.");
        bad("9 MB line", "line.csv", "lat,lon,nom\n1,2," + QByteArray(9 << 20, 'a'),
            "La ligne 2 du fichier est trop longue (plus de 8388608 caractères) ou a trop de "
            "colonnes : ce n'est sans doute pas un tableau.");
        bad("GPX named .xlsx", "gpx.xlsx", "<gpx><wpt lat='1' lon='2'/></gpx>",
            "Ce fichier n'est pas un classeur XLSX comme son nom l'indique : c'est un tableau "
            "CSV.");
    }
    void reads() {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(Expected, expected);
        QFETCH(QString, said);
        const bool real = bytes.isEmpty() && expected.count > 0;
        const QString path =
            real ? QStringLiteral(TARNEL_PLACES_DATA "/") + file : Written(file, bytes);
        if (bytes.isEmpty() && !real)
            QVERIFY(QFile::resize(path, qint64(2) << 30));
        QElapsedTimer timer;
        timer.start();
        const PlaceFileReading reading = ReadPlaceFile(path, !real);
        if (expected.count == 0) {
            QVERIFY(timer.elapsed() < 1000);
            QCOMPARE(reading.problem,
                     u"Le fichier « %1 » n'a pas été importé : "_qs.arg(path) + said);
            QVERIFY(reading.places.isEmpty());
            return;
        }
        QCOMPARE(reading.problem, QString());
        QCOMPARE(reading.places.size(), expected.count);
        const SavedPlace& read = reading.places[expected.index];
        QCOMPARE(std::tuple(read.name, read.note, read.address),
                 std::tuple(expected.name, expected.note, expected.address));
        // Degrees read from minutes and seconds or converted from metres, to 1 cm.
        QVERIFY(std::abs(read.latitude - expected.latitude) < 1e-7 &&
                std::abs(read.longitude - expected.longitude) < 1e-7);
        QCOMPARE(read.altitude.value_or(qQNaN()), expected.altitude);
        QCOMPARE(reading.warnings.join(u' '), said);
    }

    void duplicates() {
        const auto at = [](const char* name, double latitude, double longitude, qint64 id = 0) {
            return SavedPlace{id, QString::fromUtf8(name), latitude, longitude, {}, {}, {}, {}};
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

private:
    // The file `name` in a folder of the test's, holding `bytes`.
    QString Written(const QString& name, const QByteArray& bytes) {
        const QString path = folder_.filePath(name);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path
                                                                                    : QString();
    }

    QTemporaryDir folder_;
};

QTEST_GUILESS_MAIN(PlaceImportTest)
#include "PlaceImportTest.moc"
