#include "places/PlaceExport.h"
#include "places/PlaceFileImport.h"
#include "places/PlaceTableExport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;

namespace {

// The columns of the CSV `program` (GPSBabel, ogr2ogr) writes on its standard output, by their
// header; nothing when it fails or takes more than 20 s.
QHash<QString, QStringList> ReadBack(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return {};
    static const QRegularExpression field(u"(?:^|,)(\"(?:[^\"]|\"\")*\"|[^,]*)"_qs);
    QStringList header;
    QHash<QString, QStringList> columns;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput())
                                   .split(QRegularExpression(u"\r?\n"_qs), Qt::SkipEmptyParts)) {
        QStringList row;
        for (const QRegularExpressionMatch& match : field.globalMatch(line)) {
            QString value = match.captured(1);
            if (value.startsWith(u'"'))
                value = value.mid(1, value.size() - 2).replace(u"\"\""_qs, u"\""_qs);
            row.append(value);
        }
        if (header.isEmpty())
            header = row;
        else
            for (qsizetype i = 0; i < header.size(); ++i)
                columns[header[i]].append(row.value(i));
    }
    return columns;
}

QList<SavedPlace> Places() {
    const QDateTime added(QDate(2026, 12, 8), QTime(14, 5, 6), Qt::UTC);
    const QString note = u"sentier, puis crête"_qs;
    return {{0, u"Pic & <Col> \"Nord\""_qs, 42.123456789, 180, {}, note, 2812.5, added},
            {0, u"Église Saint-Éloi"_qs, -1, 2.25, {}, {}, {}, added}};
}

} // namespace

class PlaceExportTest : public QObject {
    Q_OBJECT

private slots:
    // Each export as GPSBabel and GDAL read it back, and as the import reads it.
    void readBackByOtherPrograms_data() {
        QTest::addColumn<QString>("format"); // GPSBabel's name of it, the file's extension
        QTest::newRow("GPX") << "gpx";
        QTest::newRow("KML") << "kml";
        QTest::newRow("GeoJSON") << "geojson";
    }
    void readBackByOtherPrograms() {
        QFETCH(QString, format);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"lieux."_qs + format);
        const QList<SavedPlace> places = Places();
        // Written cleaned (ExportSafeText): a tab and a line feed as blanks, no U+FEFF.
        QList<SavedPlace> typed = places;
        typed[0].name = u"Pic & <Col>\t\"Nord\"\uFEFF"_qs;
        typed[0].note = u"sentier,\npuis crête"_qs;
        const ExportOutcome outcome = WritePlacesFile(path, *FormatOfFileName(path), typed);
        QVERIFY2(outcome.written, qPrintable(outcome.problem));

        QHash<QString, QStringList> babel =
            ReadBack(u"gpsbabel"_qs, {"-i", format, "-f", path, "-o", "unicsv", "-F", "-"});
        QCOMPARE(babel[u"Name"_qs], QStringList({places[0].name, places[1].name}));
        QCOMPARE(babel[u"Latitude"_qs], QStringList({"42.123457", "-1.000000"}));
        QCOMPARE(babel[u"Longitude"_qs], QStringList({"-180.000000", "2.250000"}));
        if (format != u"geojson") // GPSBabel 1.8 reads no GeoJSON height
            QCOMPARE(babel[u"Altitude"_qs].value(0), u"2812.5"_qs);

        // ogr2ogr reads GPX as several layers and names the columns as each format does.
        const bool gpx = format == u"gpx";
        QHash<QString, QStringList> gdal =
            ReadBack(u"ogr2ogr"_qs,
                     QStringList{"-f", "CSV", "/vsistdout/", path, "-lco", "GEOMETRY=AS_XYZ"} +
                         (gpx ? QStringList{"waypoints"} : QStringList()));
        QCOMPARE(gdal[format == u"kml" ? u"Name"_qs : u"name"_qs],
                 QStringList({places[0].name, places[1].name}));
        QCOMPARE(gdal[u"Y"_qs], QStringList({"42.123456789", "-1"}));
        QCOMPARE(gdal[u"X"_qs], QStringList({"-180", "2.25"}));
        QCOMPARE(gdal[gpx ? u"ele"_qs : u"Z"_qs].value(0), u"2812.5"_qs);

        const QList<SavedPlace> back = ReadPlaceFile(path, false).places;
        QCOMPARE(back.size(), 2);
        for (int i = 0; i < 2; ++i)
            QCOMPARE(
                std::tuple(back[i].name, back[i].latitude, back[i].note, back[i].altitude),
                std::tuple(places[i].name, places[i].latitude, places[i].note, places[i].altitude));
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

    // The CSV for French Excel, byte for byte: its separator, encoding, line ends and decimal
    // mark, the columns in order, the texts guarded against being taken for formulas. (The
    // UTF-8 dialect differs only by these settings; PlacesExporterTest reads it back.)
    void frenchExcelCsv() {
        QTemporaryDir folder;
        const QString path = folder.filePath(u"lieux.csv"_qs);
        QList<SavedPlace> places = Places();
        places[0].name = u"=Pic;\"Nord\""_qs;
        places[0].longitude = -180;
        places[1].address = u"1 place de l'Église, 75001 Paris"_qs;
        const ExportOutcome outcome = WritePlacesTable(path, FrenchExcelCsv(), places);
        QVERIFY2(outcome.written, qPrintable(outcome.problem));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("nom;latitude;longitude;altitude;adresse;note;ajout\r\n"
                            "\"'=Pic;\"\"Nord\"\"\";42,123456789;-180;2812,5;;sentier, puis "
                            "cr\xEAte;2026-12-08T14:05:06Z\r\n"
                            "\xC9glise Saint-\xC9loi;-1;2,25;;1 place de l'\xC9glise, 75001 Paris;;"
                            "2026-12-08T14:05:06Z\r\n"));
    }
};

QTEST_GUILESS_MAIN(PlaceExportTest)
#include "PlaceExportTest.moc"
