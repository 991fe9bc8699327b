// Costs of the core logic: the coordinate extraction on large pages against a plain search
// for its start marker in the same bytes, and the two degree conversions.

#include "core/DegreeConversion.h"
#include "core/Geocoding.h"

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <cstring>
#include <string_view>

using namespace tarnel;

namespace {

constexpr std::string_view kMarker = ":{lat:";

// A page of `size` bytes shaped like the service's script-laden answers (a colon every few
// bytes, braces, commas, mixed case), holding the marker arrangement only near its end.
QByteArray Page(qsizetype size) {
    static constexpr char kFiller[] = "window.APP_OPTIONS={\"a\":[1,2,3],\"Zoom\":14,\"b\":{\"c\":"
                                      "\"d\"},\"url\":\"http://x/y\"};";
    const QByteArray tail = "viewport:{center:{lat:48.856614,lng:2.352222},span:{lat:0.1}}";
    QByteArray page;
    page.reserve(size);
    while (page.size() + qsizetype(sizeof kFiller) - 1 + tail.size() + 64 < size) {
        page.append(kFiller, sizeof kFiller - 1);
    }
    page.append(size - tail.size() - page.size(), ' ');
    page.append(tail);
    return page;
}

const QByteArray& SharedPage(qsizetype size) {
    static const QByteArray small = Page(qsizetype{1} << 20);
    static const QByteArray large = Page(qsizetype{32} << 20);
    return size == small.size() ? small : large;
}

void ExtractCoordinatesBench(benchmark::State& state) {
    const QByteArray& page = SharedPage(state.range(0));
    for (auto _ : state) {
        auto found = ExtractCoordinates(page);
        if (!found) {
            state.SkipWithError("no coordinates found");
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

// The floor the extraction is measured against: a case-sensitive search for the start marker.
void PlainFindBench(benchmark::State& state) {
    const QByteArray& page = SharedPage(state.range(0));
    const std::string_view bytes(page.constData(), std::size_t(page.size()));
    for (auto _ : state) {
        std::size_t at = bytes.find(kMarker);
        benchmark::DoNotOptimize(at);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

void PlainMemmemBench(benchmark::State& state) {
    const QByteArray& page = SharedPage(state.range(0));
    for (auto _ : state) {
        const void* at =
            memmem(page.constData(), std::size_t(page.size()), kMarker.data(), kMarker.size());
        benchmark::DoNotOptimize(at);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * page.size());
}

void DmsToDecimalBench(benchmark::State& state) {
    ProgramTexts texts;
    const QString degrees = QStringLiteral("48");
    const QString minutes = QStringLiteral("51");
    const QString seconds = QStringLiteral("24");
    for (auto _ : state) {
        auto result = DmsToDecimal(texts, degrees, minutes, seconds);
        benchmark::DoNotOptimize(result);
    }
}

void DecimalToDmsBench(benchmark::State& state) {
    const QString decimal = QStringLiteral("48.8566667");
    for (auto _ : state) {
        auto captions = DecimalToDms(decimal);
        benchmark::DoNotOptimize(captions);
    }
}

} // namespace

BENCHMARK(ExtractCoordinatesBench)->Arg(1 << 20)->Arg(32 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainFindBench)->Arg(1 << 20)->Arg(32 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainMemmemBench)->Arg(1 << 20)->Arg(32 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(DmsToDecimalBench);
BENCHMARK(DecimalToDmsBench);

BENCHMARK_MAIN();
