// The map page's exports of the user's places as the program wires them: the save dialog asked,
// the file written from the store and read back by the import, by GPSBabel and by the table
// reading; failures told in French.

#include "app/PlacesExporter.h"
#include "places/PlaceFileImport.h"
#include "places/PlaceStore.h"
#include "spreadsheet/TableFile.h"
#include "tests/support/FakePlatform.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

// The names in the file at `path`, as the program reads it again.
QStringList NamesReadBack(const QString& path) {
    QStringList names;
    if (path.endsWith(u".csv"_qs)) {
        OpenedTable table = OpenTableFile(path);
        Row row;
        while (table.reader && table.reader->NextRow(row))
            names.append(row.value(0).text);
        names.removeFirst(); // the header
        return names;
    }
    for (const SavedPlace& place : ReadPlaceFile(path, false).places)
        names.append(place.name);
    return names;
}

// The names GPSBabel reads in the file at `path` as `format`.
QStringList NamesByGpsBabel(const QString& format, const QString& path) {
    QProcess process;
    process.start(u"gpsbabel"_qs, {"-i", format, "-f", path, "-o", "unicsv", "-F", "-"});
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return {u"GPSBabel a échoué"_qs};
    QStringList lines =
        QString::fromUtf8(process.readAllStandardOutput()).remove(u'"').split(u'\n');
    const qsizetype column = lines.takeFirst().trimmed().split(u',').indexOf(u"Name"_qs);
    QStringList names;
    for (const QString& line : lines)
        if (!line.isEmpty())
            names.append(line.trimmed().split(u',').value(column));
    return names;
}

} // namespace

class PlacesExporterTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        store_ = std::make_unique<PlaceStore>(folder_.filePath(
            u"%1-%2.sqlite"_qs.arg(QTest::currentTestFunction(), QTest::currentDataTag())));
        QVERIFY(store_->Open().done);
        ids_.clear();
        for (const QString& name : {u"Église"_qs, u"abbaye"_qs, u"Gare"_qs}) {
            SavedPlace place;
            place.name = name;
            place.latitude = 45.5;
            place.longitude = 4.25;
            QVERIFY(store_->Add(place).done);
            ids_.append(place.id);
        }
    }

    void writesTheChosenPlaces_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("babelFormat"); // empty: not one GPSBabel reads
        QTest::addColumn<QList<int>>("chosen");   // ranks in the order added; none for all
        QTest::addColumn<QStringList>("names");
        const QStringList all{u"abbaye"_qs, u"Église"_qs, u"Gare"_qs};
        QTest::newRow("GPX, all") << "gpx"
                                  << "gpx"
                                  << "gpx" << QList<int>() << all;
        QTest::newRow("KML, two") << "kml"
                                  << "kml"
                                  << "kml" << QList<int>{2, 0}
                                  << QStringList{u"Église"_qs, u"Gare"_qs};
        QTest::newRow("GeoJSON, one") << "geojson"
                                      << "geojson"
                                      << "geojson" << QList<int>{1} << QStringList{u"abbaye"_qs};
        QTest::newRow("CSV for Excel") << "csv-excel"
                                       << "csv"
                                       << "" << QList<int>() << all;
        QTest::newRow("CSV UTF-8, one") << "csv-utf8"
                                        << "csv"
                                        << "" << QList<int>{0} << QStringList{u"Église"_qs};
    }
    void writesTheChosenPlaces() {
        QFETCH(QString, format);
        QFETCH(QString, suffix);
        QFETCH(QString, babelFormat);
        QFETCH(QList<int>, chosen);
        QFETCH(QStringList, names);
        FakePlatform platform;
        const QString path = folder_.filePath(u"export-%1.%2"_qs.arg(format, suffix));
        platform.saveDialog.answer = path;
        PlacesExporter exporter(store_->Path(), platform.services, nullptr);
        QList<qint64> ids;
        for (int rank : chosen)
            ids.append(ids_[rank]);
        exporter.Export(format, ids);
        QCOMPARE(platform.messages.shown.size(), 0);
        QCOMPARE(platform.saveDialog.requests.size(), 1);
        const SaveDialogRequest& asked = platform.saveDialog.requests[0];
        QCOMPARE(asked.title, u"Exporter mes lieux"_qs);
        QCOMPARE(asked.defaultSuffix, suffix);
        QVERIFY(asked.previousPath.endsWith(u"/mes-lieux."_qs + suffix));
        QCOMPARE(NamesReadBack(path), names);
        if (!babelFormat.isEmpty())
            QCOMPARE(NamesByGpsBabel(babelFormat, path), names);
    }

    void refuses_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<qint64>>("ids");
        QTest::addColumn<QString>("answer"); // the save dialog's; empty: cancelled
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown format") << "asc" << QList<qint64>() << "x.asc"
                                        << "Les lieux s'exportent en GPX, KML, GeoJSON ou CSV.";
        QTest::newRow("none of the chosen is kept") << "gpx" << QList<qint64>{999} << "x.gpx"
                                                    << "Aucun lieu à exporter.";
        QTest::newRow("cancelled") << "gpx" << QList<qint64>() << ""
                                   << "";
        QTest::newRow("missing folder")
            << "csv-excel" << QList<qint64>() << "absent/x.csv"
            << "Le fichier « %1 » n'a pas pu être enregistré.\nVérifiez que son dossier existe "
               "et que vous avez le droit d'y écrire.";
    }
    void refuses() {
        QFETCH(QString, format);
        QFETCH(QList<qint64>, ids);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        QTemporaryDir target;
        FakePlatform platform;
        if (!answer.isEmpty())
            platform.saveDialog.answer = target.filePath(answer);
        PlacesExporter exporter(store_->Path(), platform.services, nullptr);
        exporter.Export(format, ids);
        QCOMPARE(platform.messages.shown.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QCOMPARE(platform.messages.shown[0].text,
                     message.contains(u"%1"_qs)
                         ? message.arg(QDir::toNativeSeparators(target.filePath(answer)))
                         : message);
        QVERIFY(QDir(target.path()).isEmpty());
    }

private:
    QTemporaryDir folder_;
    std::unique_ptr<PlaceStore> store_;
    QList<qint64> ids_;
};

QTEST_MAIN(PlacesExporterTest)
#include "PlacesExporterTest.moc"
