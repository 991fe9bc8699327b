// Costs of the coordinate forms: one point to every form, each form read back, and what a
// the program pays once for PROJ's context and transformations.

#include "core/ConicProjection.h"
#include "core/CoordinateFormReading.h"
#include "core/CoordinateForms.h"

#include <benchmark/benchmark.h>
#include <chrono>

using namespace tarnel;

namespace {

constexpr double kLatitude = 48.8584;
constexpr double kLongitude = 2.2945;

void EveryFormBench(benchmark::State& state) {
    benchmark::DoNotOptimize(CoordinateForms(kLatitude, kLongitude));
    for (auto _ : state) {
        auto forms = CoordinateForms(kLatitude, kLongitude);
        benchmark::DoNotOptimize(forms);
    }
}

// Argument: the form's place in CoordinateForms' list.
void ReadBackBench(benchmark::State& state) {
    const CoordinateForm form = CoordinateForms(kLatitude, kLongitude).at(state.range(0));
    state.SetLabel(form.key.toStdString());
    for (auto _ : state) {
        auto point = ReadCoordinateForm(form.key, form.text);
        if (!point) {
            state.SkipWithError("not read back");
        }
        benchmark::DoNotOptimize(point);
    }
}

// One Lambert 93 point, from one thread and from two at once: what the shared, locked PROJ
// transformation costs when the map service's connections convert together.
void LambertBench(benchmark::State& state) {
    for (auto _ : state) {
        auto xy = ToConic(kLambert93, {kLatitude, kLongitude});
        benchmark::DoNotOptimize(xy);
    }
}

// The first use in the program: PROJ's context, proj.db and the transformation are made then.
void FirstUseBench(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ToConic(kLambert93, {kLatitude, kLongitude}));
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

} // namespace

BENCHMARK(FirstUseBench)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(EveryFormBench)->Unit(benchmark::kMicrosecond);
BENCHMARK(ReadBackBench)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);
BENCHMARK(LambertBench)->Threads(1)->Threads(2)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
