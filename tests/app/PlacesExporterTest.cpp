// The map page's exports of the user's places as the program wires them: the save dialog asked,
// the chosen places written from the store and read back by the import (what GPSBabel and GDAL
// read of the writers' bytes, CSV included, is PlaceExportTest's); failures told in French.

#include "app/PlacesExporter.h"
#include "places/PlaceFileImport.h"
#include "places/PlaceStore.h"
#include "tests/support/FakePlatform.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tarnel;
using namespace tarnel::testing;

class PlacesExporterTest : public QObject {
    Q_OBJECT

private slots:
    // Three places, their ids 1, 2 and 3.
    void initTestCase() {
        PlaceStore store(path_);
        QVERIFY(store.Open().done);
        qint64 id = 0;
        for (const QString& name : {u"Église"_qs, u"abbaye"_qs, u"Gare"_qs}) {
            SavedPlace place;
            place.name = name;
            QVERIFY(store.Add(place).done && place.id == ++id);
        }
    }

    void exports_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<qint64>>("ids"); // the places chosen; none for all
        QTest::addColumn<QString>("answer");    // the save dialog's; empty: cancelled
        QTest::addColumn<QStringList>("names"); // read back; none when nothing is written
        QTest::addColumn<QString>("message");   // %1: the answer's path
        QTest::newRow("GPX, all") << "gpx" << QList<qint64>() << "a.gpx"
                                  << QStringList{"abbaye", "Église", "Gare"} << "";
        QTest::newRow("KML, two, in the list's order")
            << "kml" << QList<qint64>{3, 1} << "a.kml" << QStringList{"Église", "Gare"} << "";
        QTest::newRow("unknown format") << "asc" << QList<qint64>() << "x.asc" << QStringList()
                                        << "Les lieux s'exportent en GPX, KML, GeoJSON ou CSV.";
        QTest::newRow("none of the chosen is kept")
            << "gpx" << QList<qint64>{999} << "x.gpx" << QStringList() << "Aucun lieu à exporter.";
        QTest::newRow("cancelled") << "gpx" << QList<qint64>() << "" << QStringList() << "";
        QTest::newRow("missing folder")
            << "csv-excel" << QList<qint64>() << "absent/x.csv" << QStringList()
            << "Le fichier « %1 » n'a pas pu être enregistré.\nVérifiez que son dossier existe "
               "et que vous avez le droit d'y écrire.";
    }
    void exports() {
        QFETCH(QString, format);
        QFETCH(QList<qint64>, ids);
        QFETCH(QString, answer);
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        QTemporaryDir target;
        const QString path = target.filePath(answer);
        FakePlatform platform;
        if (!answer.isEmpty())
            platform.saveDialog.answer = path;
        PlacesExporter(path_, platform.services, nullptr).Export(format, ids);

        const QString told = message.replace(u"%1"_qs, QDir::toNativeSeparators(path));
        QCOMPARE(platform.messages.shown.size(), told.isEmpty() ? 0 : 1);
        QCOMPARE(platform.messages.shown.value(0).text, told);
        QCOMPARE(QDir(target.path()).entryList(QDir::Files),
                 names.isEmpty() ? QStringList() : QStringList{answer});
        QStringList read;
        for (const SavedPlace& place : ReadPlaceFile(path, false).places)
            read.append(place.name);
        QCOMPARE(read, names);
    }

private:
    QTemporaryDir folder_;
    const QString path_ = folder_.filePath(u"places.sqlite"_qs);
};

QTEST_MAIN(PlacesExporterTest)
#include "PlacesExporterTest.moc"
