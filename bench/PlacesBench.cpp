// The user's places with 10,000 of them: importing a GPX file of 10,000 waypoints into the store
// (read, duplicates looked for, added in one transaction), listing them, filtering them by a
// typed word. Wall-clock times: the store's writes wait for the disk.

#include "core/GpxPoint.h"
#include "places/DuplicateFinding.h"
#include "places/PlaceFileImport.h"
#include "places/PlaceStore.h"

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

struct Folder {
    QTemporaryDir dir;
    QString gpx = dir.filePath(u"waypoints.gpx"_qs);
    Folder() {
        QFile file(gpx);
        file.open(QIODevice::WriteOnly);
        file.write(GpxWaypointsFile(Waypoints()));
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
BENCHMARK(ListBench)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FilterBench)->Unit(benchmark::kMillisecond)->UseRealTime()->DenseRange(1, 6, 5);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
