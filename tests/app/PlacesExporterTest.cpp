// The map page's exports of the user's places as the program wires them: the save dialog asked,
// the file written from the store and read back by the import and by the table reading (what
// GPSBabel and GDAL read of the same bytes is PlaceExportTest's); failures told in French.

#include "app/PlacesExporter.h"
#include "places/PlaceFileImport.h"
#include "places/PlaceStore.h"
#include "spreadsheet/TableFile.h"
#include "tests/support/FakePlatform.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

// The names in the file at `path`, as the program reads it again; none when there is no file.
QStringList NamesReadBack(const QString& path) {
    QStringList names;
    if (!path.endsWith(u".csv"_qs)) {
        for (const SavedPlace& place : ReadPlaceFile(path, false).places)
            names.append(place.name);
        return names;
    }
    OpenedTable table = OpenTableFile(path);
    for (Row row; table.reader && table.reader->NextRow(row);)
        names.append(row.value(0).text);
    return names.mid(1); // the header left out
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
            SavedPlace place{.name = name, .latitude = 45.5, .longitude = 4.25};
            QVERIFY(store_->Add(place).done);
            ids_.append(place.id);
        }
    }

    void exports_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<int>>("chosen"); // ranks in the order added, -1 for none kept
        QTest::addColumn<QString>("answer");    // the save dialog's; empty: cancelled
        QTest::addColumn<QStringList>("names"); // read back; none when nothing is written
        QTest::addColumn<QString>("message");   // %1: the answer's path
        QTest::newRow("GPX, all") << "gpx" << QList<int>() << "a.gpx"
                                  << QStringList{"abbaye", "Église", "Gare"} << "";
        QTest::newRow("KML, two, in the list's order")
            << "kml" << QList<int>{2, 0} << "a.kml" << QStringList{"Église", "Gare"} << "";
        QTest::newRow("GeoJSON, one")
            << "geojson" << QList<int>{1} << "a.geojson" << QStringList{"abbaye"} << "";
        QTest::newRow("CSV UTF-8, one")
            << "csv-utf8" << QList<int>{0} << "a.csv" << QStringList{"Église"} << "";
        QTest::newRow("unknown format") << "asc" << QList<int>() << "x.asc" << QStringList()
                                        << "Les lieux s'exportent en GPX, KML, GeoJSON ou CSV.";
        QTest::newRow("none of the chosen is kept")
            << "gpx" << QList<int>{-1} << "x.gpx" << QStringList() << "Aucun lieu à exporter.";
        QTest::newRow("cancelled") << "gpx" << QList<int>() << "" << QStringList() << "";
        QTest::newRow("missing folder")
            << "csv-excel" << QList<int>() << "absent/x.csv" << QStringList()
            << "Le fichier « %1 » n'a pas pu être enregistré.\nVérifiez que son dossier existe "
               "et que vous avez le droit d'y écrire.";
    }
    void exports() {
        QFETCH(QString, format);
        QFETCH(QList<int>, chosen);
        QFETCH(QString, answer);
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        QTemporaryDir target;
        const QString path = target.filePath(answer);
        FakePlatform platform;
        if (!answer.isEmpty())
            platform.saveDialog.answer = path;
        PlacesExporter exporter(store_->Path(), platform.services, nullptr);
        QList<qint64> ids;
        for (int rank : chosen)
            ids.append(rank < 0 ? 999 : ids_[rank]);
        exporter.Export(format, ids);

        const QString told = message.replace(u"%1"_qs, QDir::toNativeSeparators(path));
        QCOMPARE(platform.messages.shown.size(), told.isEmpty() ? 0 : 1);
        QCOMPARE(platform.messages.shown.value(0).text, told);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files),
                 names.isEmpty() ? QStringList() : QStringList{answer});
        QCOMPARE(NamesReadBack(path), names);
        if (!names.isEmpty()) {
            const SaveDialogRequest asked = platform.saveDialog.requests.value(0);
            const QString suffix = QFileInfo(answer).suffix();
            QCOMPARE((QStringList{asked.title, asked.defaultSuffix,
                                  QFileInfo(asked.previousPath).fileName()}),
                     (QStringList{u"Exporter mes lieux"_qs, suffix, u"mes-lieux."_qs + suffix}));
        }
    }

private:
    QTemporaryDir folder_;
    std::unique_ptr<PlaceStore> store_;
    QList<qint64> ids_;
};

QTEST_MAIN(PlacesExporterTest)
#include "PlacesExporterTest.moc"
