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
        QTest::addColumn<QList<int>>("chosen"); // ranks in the order added; none for all
        QTest::addColumn<QStringList>("names");
        const QStringList all{u"abbaye"_qs, u"Église"_qs, u"Gare"_qs};
        QTest::newRow("GPX, all") << u"gpx"_qs << u"gpx"_qs << QList<int>() << all;
        QTest::newRow("KML, two") << u"kml"_qs << u"kml"_qs << QList<int>{2, 0}
                                  << QStringList{u"Église"_qs, u"Gare"_qs};
        QTest::newRow("GeoJSON, one")
            << u"geojson"_qs << u"geojson"_qs << QList<int>{1} << QStringList{u"abbaye"_qs};
        QTest::newRow("CSV for Excel") << u"csv-excel"_qs << u"csv"_qs << QList<int>() << all;
        QTest::newRow("CSV UTF-8, one")
            << u"csv-utf8"_qs << u"csv"_qs << QList<int>{0} << QStringList{u"Église"_qs};
    }
    void writesTheChosenPlaces() {
        QFETCH(QString, format);
        QFETCH(QString, suffix);
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
