// The user's places with 10,000 of them: importing a GPX file of 10,000 waypoints, or a table of
// 10,000 rows, into the store (read, duplicates looked for, added in one transaction), listing
// them, filtering them by a typed word. Wall-clock times: the store's writes wait for the disk.

#include "core/AngleText.h"
#include "core/ConicProjection.h"
#include "core/GpxPoint.h"
#include "places/DuplicateFinding.h"
#include "places/PlaceFileImport.h"
#include "places/PlaceStore.h"
#include "places/PlaceTableExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace tarnel;

namespace {

constexpr int kPlaces = 10000;

// Waypoints spread over France, named as a hiker would, with a note every other one.
QList<PlacedPoint> Waypoints() {
    const QStringList kinds{u"Église Saint-Étienne"_qs, u"Col de la Croix"_qs, u"Fontaine"_qs,
                            u"Refuge du Lac"_qs,        u"Cœur de ville"_qs,   u"Gîte d'étape"_qs,
                            u"Point de vue"_qs,         u"Parking"_qs};
    QList<PlacedPoint> points;
    for (int i = 0; i < kPlaces; ++i) {
        PlacedPoint point;
        point.latitude = 42.5 + (i % 100) * 0.08;
        point.longitude = -4.5 + (i / 100) * 0.12;
        point.name = kinds[i % kinds.size()] + u' ' + QString::number(i);
        point.description = i % 2 ? u"à voir au printemps"_qs : QString();
        point.altitude = 100 + i % 2000;
        points.append(point);
    }
    return points;
}

// The tables: the waypoints as the places' own export writes them for Excel (decimal commas),
// then as one column of degrees, minutes and seconds, then as Lambert 93 metres, each reading
// through its own path (ReadAngle, the coordinate forms, PROJ).
enum class Table { Excel, Dms, Lambert93 };

struct Folder {
    QTemporaryDir dir;
    QString gpx = dir.filePath(u"waypoints.gpx"_qs);
    QString tables[3] = {dir.filePath(u"excel.csv"_qs), dir.filePath(u"dms.csv"_qs),
                         dir.filePath(u"lambert.csv"_qs)};
    Folder() {
        QFile file(gpx);
        file.open(QIODevice::WriteOnly);
        file.write(GpxWaypointsFile(Waypoints()));
        file.close();
        const QList<SavedPlace> places = ReadPlaceFile(gpx, false).places;
        WritePlacesTable(tables[int(Table::Excel)], FrenchExcelCsv(), places);
        QFile dms(tables[int(Table::Dms)]);
        QFile lambert(tables[int(Table::Lambert93)]);
        dms.open(QIODevice::WriteOnly);
        lambert.open(QIODevice::WriteOnly);
        dms.write("nom;coordonnées\n");
        lambert.write("nom;x;y\n");
        for (const SavedPlace& place : places) {
            const GeoPoint point{place.latitude, place.longitude};
            dms.write((place.name + u';' + DmsAngleText(point.latitude, Axis::Latitude) + u' ' +
                       DmsAngleText(point.longitude, Axis::Longitude) + u'\n')
                          .toUtf8());
            const ProjectedPoint xy = *ToConic(kLambert93, point);
            lambert.write((place.name + u';' + QString::number(xy.x, 'f', 2) + u';' +
                           QString::number(xy.y, 'f', 2) + u'\n')
                              .toUtf8());
        }
    }
};

Folder& Files() {
    static Folder folder;
    return folder;
}

void ImportGpxBench(benchmark::State& state) {
    int run = 0;
    for (auto _ : state) {
        PlaceStore store(Files().dir.filePath(u"import-%1.sqlite"_qs.arg(run++)));
        store.Open();
        PlaceFileReading reading = ReadPlaceFile(Files().gpx, false);
        const QList<Duplicate> duplicates = FindDuplicates(reading.places, store.List());
        if (reading.places.size() != kPlaces || !duplicates.isEmpty() ||
            !store.AddAll(reading.places).done)
            state.SkipWithError("import failed");
    }
    state.counters["bytes"] = double(QFile(Files().gpx).size());
}

void ImportTableBench(benchmark::State& state) {
    const QString& table = Files().tables[state.range(0)];
    int run = 0;
    for (auto _ : state) {
        PlaceStore store(
            Files().dir.filePath(u"table-%1-%2.sqlite"_qs.arg(state.range(0)).arg(run++)));
        store.Open();
        PlaceFileReading reading = ReadPlaceFile(table, false);
        const QList<Duplicate> duplicates = FindDuplicates(reading.places, store.List());
        if (reading.places.size() != kPlaces || !reading.warnings.isEmpty() ||
            !duplicates.isEmpty() || !store.AddAll(reading.places).done)
            state.SkipWithError("import failed");
    }
    state.counters["bytes"] = double(QFile(table).size());
}

// A store holding the 10,000 places, filled once. Each bench opens its own connection to it,
// closed before the program ends (a store left for static destruction outlives Qt's SQL driver).
QString FullStorePath() {
    static const QString path = [] {
        const QString file = Files().dir.filePath(u"full.sqlite"_qs);
        PlaceStore store(file);
        QList<SavedPlace> places = ReadPlaceFile(Files().gpx, false).places;
        store.Open();
        store.AddAll(places);
        return file;
    }();
    return path;
}

void ListBench(benchmark::State& state) {
    PlaceStore store(FullStorePath());
    store.Open();
    for (auto _ : state)
        benchmark::DoNotOptimize(store.List());
}

// A word typed key by key: each keystroke filters the whole list again.
void FilterBench(benchmark::State& state) {
    const QString typed = u"eglise"_qs.left(state.range(0));
    PlaceStore store(FullStorePath());
    store.Open();
    qsizetype found = 0;
    for (auto _ : state)
        found = store.List(typed).size();
    state.counters["found"] = double(found);
}

} // namespace

BENCHMARK(ImportGpxBench)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(ImportTableBench)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5)
    ->DenseRange(0, 2);
BENCHMARK(ListBench)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FilterBench)->Unit(benchmark::kMillisecond)->UseRealTime()->DenseRange(1, 6, 5);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
