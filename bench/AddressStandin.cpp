// The files and the stand-in of the geocoding of a file of addresses (see docs/PERFORMANCE.md):
//   tarnel_bench_address make FILE ROWS   writes ROWS French client rows, Excel's French CSV
//   tarnel_bench_address serve [ROW_µS]   answers as the CSV geocoding, replaying the recorded
//                                         answers of the tests, at once or holding each answer
//                                         ROW_µS microseconds per row, until its input ends;
//                                         prints its URLs first, and on its standard error at
//                                         the end: CSV requests, their time in seconds (from
//                                         arrival to answer, summed) and the rows asked again
//                                         alone
// The program itself is then run as a user runs it (`tarnel --adresses FILE`), measured by
// bench/measure.sh.

#include "tests/addressfile/GeocodingStandin.h"

#include <QFile>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

int Make(const QString& path, int rows) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    file.write("Nom;N\xB0;Rue;Compl\xE9ment;Code postal;Ville\r\n");
    for (int i = 0; i < rows; ++i) {
        file.write("Client " + QByteArray::number(i) + ";18;rue Duhesme;" +
                   (i % 7 == 0 ? QByteArray("B\xE2timent B") : QByteArray()) + ";75018;Paris\r\n");
    }
    return file.error() == QFile::NoError ? 0 : 1;
}

int Serve(int rowMicroseconds) {
    tarnel::testing::GeocodingStandin standin;
    standin.SetCsvRowTime(std::chrono::microseconds(rowMicroseconds));
    if (!standin.Start()) {
        return 1;
    }
    std::printf("%s %s %s\n", qPrintable(standin.CsvUrl()), qPrintable(standin.SearchUrl()),
                qPrintable(standin.NominatimUrl()));
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    int alone = 0;
    for (const int asks : standin.SearchAsks()) {
        alone += asks;
    }
    std::fprintf(stderr, "%d %.3f %d\n", standin.CsvRequests(),
                 std::chrono::duration<double>(standin.CsvTime()).count(), alone);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 4) {
        return Make(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    }
    if (command == "serve" && argc <= 3) {
        return Serve(argc == 3 ? std::atoi(argv[2]) : 0);
    }
    std::fputs("usage: tarnel_bench_address make FILE ROWS | serve [ROW_MICROSECONDS]\n", stderr);
    return 2;
}
