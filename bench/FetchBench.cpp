// The page fetch on one URL, measured from inside: fastest and median transfer time over
// REPEATS fetches, and the peak resident memory above the idle figure (taken after a first,
// empty fetch has set up the HTTP client).
//
//   tarnel_bench_fetch BODY_URL EMPTY_URL bytes|text REPEATS
//
// "bytes" calls FetchPageBytes, "text" calls FetchPage (one character per byte). Prints one
// line: bytes=... best_s=... median_s=... idle_kib=... peak_kib=...

#include "net/FetchPage.h"

#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <vector>

namespace {

long PeakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s BODY_URL EMPTY_URL bytes|text REPEATS\n", argv[0]);
        return 2;
    }
    const QString url = QString::fromLocal8Bit(argv[1]);
    const bool asText = std::strcmp(argv[3], "text") == 0;
    const int repeats = std::max(1, std::atoi(argv[4]));

    tarnel::FetchPageBytes(QString::fromLocal8Bit(argv[2]));
    const long idle = PeakKib();

    std::vector<double> seconds;
    qsizetype size = 0;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        size = asText ? tarnel::FetchPage(url).size() : tarnel::FetchPageBytes(url).size();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("bytes=%lld best_s=%.4f median_s=%.4f idle_kib=%ld peak_kib=%ld\n",
                static_cast<long long>(size), seconds.front(), seconds[seconds.size() / 2], idle,
                PeakKib());
    return size > 0 ? 0 : 1;
}
