#include "places/PlaceExport.h"
#include "places/PlaceFileImport.h"
#include "places/PlaceJson.h"
#include "places/PlaceTableExport.h"
#include "spreadsheet/TableFile.h"
#include "tests/support/ReadBack.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using tarnel::testing::Column;
using tarnel::testing::ReadBack;

namespace {

QList<SavedPlace> Places() {
    SavedPlace peak;
    peak.name = u"Pic & <Col> \"Nord\""_qs;
    peak.latitude = 42.123456789;
    peak.longitude = 180;
    peak.note = u"sentier, puis crête"_qs;
    peak.altitude = 2812.5;
    peak.added = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 6), Qt::UTC);
    SavedPlace church;
    church.name = u"Église Saint-Éloi"_qs;
    church.latitude = -1;
    church.longitude = 2.25;
    church.added = peak.added;
    return {peak, church};
}

} // namespace

class PlaceExportTest : public QObject {
    Q_OBJECT

private slots:
    // Each export as GPSBabel and GDAL read it back, and as the import reads it.
    void readBackByOtherPrograms_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("gpsbabelFormat");
        QTest::addColumn<QString>("babelAltitude"); // none: GPSBabel 1.8 reads no GeoJSON height
        QTest::addColumn<QStringList>("ogrLayer");
        QTest::addColumn<QString>("ogrHeight");  // the column of ogr2ogr's CSV
        QTest::addColumn<QString>("nameColumn"); // of ogr2ogr's CSV
        QTest::newRow("GPX") << "lieux.gpx"
                             << "gpx"
                             << "2812.5" << QStringList{"waypoints"} << "ele"
                             << "name";
        QTest::newRow("KML") << "lieux.kml"
                             << "kml"
                             << "2812.5" << QStringList() << "Z"
                             << "Name";
        QTest::newRow("GeoJSON") << "lieux.geojson"
                                 << "geojson"
                                 << "" << QStringList() << "Z"
                                 << "name";
    }
    void readBackByOtherPrograms() {
        QFETCH(QString, fileName);
        QFETCH(QString, gpsbabelFormat);
        QFETCH(QString, babelAltitude);
        QFETCH(QStringList, ogrLayer);
        QFETCH(QString, ogrHeight);
        QFETCH(QString, nameColumn);
        QTemporaryDir folder;
        const QString path = folder.filePath(fileName);
        const QList<SavedPlace> places = Places();
        // Written cleaned (ExportSafeText): a tab and a line feed as blanks, no U+FEFF.
        QList<SavedPlace> typed = places;
        typed[0].name = u"Pic & <Col>\t\"Nord\"\uFEFF"_qs;
        typed[0].note = u"sentier,\npuis crête"_qs;
        const ExportOutcome outcome = WritePlacesFile(path, *FormatOfFileName(path), typed);
        QVERIFY2(outcome.written, qPrintable(outcome.problem));

        const QList<QStringList> babel =
            ReadBack(u"gpsbabel"_qs, {"-i", gpsbabelFormat, "-f", path, "-o", "unicsv", "-F", "-"});
        QCOMPARE(Column(babel, u"Name"_qs), QStringList({places[0].name, places[1].name}));
        QCOMPARE(Column(babel, u"Latitude"_qs), QStringList({"42.123457", "-1.000000"}));
        QCOMPARE(Column(babel, u"Longitude"_qs), QStringList({"-180.000000", "2.250000"}));
        if (!babelAltitude.isEmpty())
            QCOMPARE(Column(babel, u"Altitude"_qs).value(0), babelAltitude);

        const QList<QStringList> gdal = ReadBack(
            u"ogr2ogr"_qs,
            QStringList{"-f", "CSV", "/vsistdout/", path, "-lco", "GEOMETRY=AS_XYZ"} + ogrLayer);
        QCOMPARE(Column(gdal, nameColumn), QStringList({places[0].name, places[1].name}));
        QCOMPARE(Column(gdal, u"Y"_qs), QStringList({"42.123456789", "-1"}));
        QCOMPARE(Column(gdal, u"X"_qs), QStringList({"-180", "2.25"}));
        QCOMPARE(Column(gdal, ogrHeight).value(0), u"2812.5"_qs);

        const PlaceFileReading reading = ReadPlaceFile(path, false);
        QCOMPARE(reading.places.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(reading.places[i].name, places[i].name);
            QCOMPARE(reading.places[i].latitude, places[i].latitude);
            QCOMPARE(reading.places[i].note, places[i].note);
            QCOMPARE(reading.places[i].altitude, places[i].altitude);
        }
    }

    // GPX 1.1 as its schema orders a waypoint's elements, the time in UTC.
    void gpxWaypoints() {
        const QString gpx = QString::fromUtf8(*PlacesFileBytes(ExportFormat::Gpx, Places()));
        QVERIFY2(
            gpx.contains(
                u"<wpt lat=\"42.123456789\" lon=\"-180\">\n        <ele>2812.5</ele>\n"
                "        <time>2026-12-08T14:05:06Z</time>\n        <name>Pic &amp; "
                "&lt;Col&gt; &quot;Nord&quot;</name>\n        <desc>sentier, puis crête</desc>\n"
                "    </wpt>"_qs),
            qPrintable(gpx));
    }

    // Each CSV dialect as the spreadsheet reading finds it again, and its bytes as Excel wants.
    void csvReadBack_data() {
        QTest::addColumn<TableDialect>("dialect");
        QTest::addColumn<QByteArray>("secondRow");
        QTest::newRow("French Excel")
            << FrenchExcelCsv()
            << QByteArray("\"'=Pic;\"\"Nord\"\"\";42,123456789;-180;2812,5;;sentier, puis "
                          "cr\xEAte;2026-12-08T14:05:06Z\r\n");
        QTest::newRow("UTF-8") << Utf8Csv()
                               << QByteArray("\"'=Pic;\"\"Nord\"\"\",42.123456789,-180,2812.5,,"
                                             "\"sentier, puis crête\",2026-12-08T14:05:06Z\n");
    }
    void csvReadBack() {
        QFETCH(TableDialect, dialect);
        QFETCH(QByteArray, secondRow);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"lieux.csv"_qs);
        QList<SavedPlace> places = Places();
        places[0].name = u"=Pic;\"Nord\""_qs;
        places[0].longitude = -180;
        places[1].address = u"1 place de l'Église, 75001 Paris"_qs;
        const ExportOutcome outcome = WritePlacesTable(path, dialect, places);
        QVERIFY2(outcome.written, qPrintable(outcome.problem));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.value(1) + '\n', secondRow);

        OpenedTable table = OpenTableFile(path);
        QVERIFY2(table.reader, qPrintable(table.error));
        QList<QStringList> rows;
        Row row;
        while (table.reader->NextRow(row)) {
            QStringList texts;
            for (const Cell& cell : row)
                texts.append(cell.text);
            rows.append(texts);
        }
        QCOMPARE(table.reader->Error(), QString());
        QCOMPARE(table.reader->Dialect().separator, dialect.separator);
        QCOMPARE(table.reader->Dialect().encoding, dialect.encoding);
        QCOMPARE(rows.value(0), QStringList({"nom", "latitude", "longitude", "altitude", "adresse",
                                             "note", "ajout"}));
        const QChar mark = dialect.DecimalMark();
        QCOMPARE(rows.value(1),
                 QStringList({u"'=Pic;\"Nord\""_qs, u"42.123456789"_qs.replace(u'.', mark), "-180",
                              u"2812.5"_qs.replace(u'.', mark), "", u"sentier, puis crête"_qs,
                              "2026-12-08T14:05:06Z"}));
        QCOMPARE(rows.value(2),
                 QStringList({u"Église Saint-Éloi"_qs, "-1", u"2.25"_qs.replace(u'.', mark), "",
                              u"1 place de l'Église, 75001 Paris"_qs, "", "2026-12-08T14:05:06Z"}));
        QCOMPARE(rows.size(), 3);
    }

    // The shape the map page is given.
    void json() {
        QList<SavedPlace> places = Places();
        places[0].id = 12;
        places[1].address = u"SavedPlace de l'Église"_qs;
        const QString expected =
            u"[{'added':'2026-12-08T14:05:06.000Z','address':'','altitude':2812.5,'id':12,"
            "'latitude':42.123456789,'longitude':180,'name':'Pic & <Col> \\'Nord\\'',"
            "'note':'sentier, puis crête'},{'added':'2026-12-08T14:05:06.000Z',"
            "'address':'SavedPlace de l`Église','altitude':null,'id':0,'latitude':-1,"
            "'longitude':2.25,'name':'Église Saint-Éloi','note':''}]"_qs;
        // Written above with ' for " and ` for ', to stay readable.
        QCOMPARE(
            QString::fromUtf8(QJsonDocument(PlacesJson(places)).toJson(QJsonDocument::Compact)),
            QString(expected).replace(u'\'', u'"').replace(u'`', u'\''));
    }

    void refused() {
        QTemporaryDir folder;
        QCOMPARE(WritePlacesFile(folder.filePath(u"a.asc"_qs), ExportFormat::GenericAsc, Places())
                     .problem,
                 u"Les lieux s'enregistrent en GPX, KML ou GeoJSON."_qs);
        const QString path = folder.filePath(u"missing/a.gpx"_qs);
        QCOMPARE(WritePlacesFile(path, ExportFormat::Gpx, Places()).problem,
                 u"Le fichier « %1 » n'a pas pu être enregistré.\nVérifiez que son dossier existe "
                 "et que vous avez le droit d'y écrire."_qs.arg(path));
        QCOMPARE(WritePlacesTable(path, FrenchExcelCsv(), Places()).problem,
                 u"Le fichier « %1 » n'a pas pu être enregistré.\nVérifiez que son dossier existe "
                 "et que vous avez le droit d'y écrire."_qs.arg(path));
        QVERIFY(QDir(folder.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PlaceExportTest)
#include "PlaceExportTest.moc"
