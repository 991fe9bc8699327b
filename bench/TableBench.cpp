// Reading and writing files of addresses: the time and the peak memory of reading every row
// of a table, and of writing it back with the columns a batch adds, one run a process so that
// each peak is its own (see docs/PERFORMANCE.md).
//   tarnel_bench_table make DIR ROWS     writes DIR/adresses.{csv,xlsx,ods} of ROWS rows
//   tarnel_bench_table read FILE         reads every row
//   tarnel_bench_table copy FILE OUT     reads every row and writes it to OUT, columns added
// Each run prints one line: rows, milliseconds, peak resident memory above the idle figure
// taken before the file is opened (MiB), and the file's size (MiB).

#include "spreadsheet/TableFile.h"
#include "spreadsheet/TableFileWriting.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>
#include <sys/resource.h>

using namespace tarnel;

namespace {

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// A row like those of a client list: name, number, street, complement, postal code, town.
Row AddressRow(qsizetype i) {
    static const QStringList streets = {u"rue de la République"_qs, u"avenue Jean Jaurès"_qs,
                                        u"place de l'Église"_qs, u"chemin des Œillets"_qs};
    static const QStringList towns = {u"Lyon"_qs, u"Saint-Étienne"_qs, u"Marseille"_qs,
                                      u"Bourg-en-Bresse"_qs};
    return {{u"Client %1"_qs.arg(i), Cell::Kind::Text},
            {QString::number(1 + i % 120), Cell::Kind::Number},
            {streets[i % streets.size()], Cell::Kind::Text},
            {i % 7 == 0 ? u"Bâtiment B"_qs : QString(), Cell::Kind::Text},
            {QString::number(1000 + (i * 37) % 94000), Cell::Kind::Number},
            {towns[i % towns.size()], Cell::Kind::Text}};
}

int Make(const QString& folder, qsizetype rows) {
    const Row header = {{u"Nom"_qs, Cell::Kind::Text},         {u"N°"_qs, Cell::Kind::Text},
                        {u"Rue"_qs, Cell::Kind::Text},         {u"Complément"_qs, Cell::Kind::Text},
                        {u"Code postal"_qs, Cell::Kind::Text}, {u"Ville"_qs, Cell::Kind::Text}};
    TableDialect dialect; // Excel's French CSV: semicolons, windows-1252, CR LF
    dialect.encoding = TextEncoding::Windows1252;
    for (const TableFormat format : {TableFormat::Csv, TableFormat::Xlsx, TableFormat::Ods}) {
        dialect.format = format;
        const QString suffix = format == TableFormat::Csv    ? u"csv"_qs
                               : format == TableFormat::Xlsx ? u"xlsx"_qs
                                                             : u"ods"_qs;
        qsizetype next = -1;
        const bool written =
            WriteTableFile(folder + u"/adresses."_qs + suffix, dialect, [&](Row& row) {
                row = next < 0 ? header : AddressRow(next);
                return ++next <= rows;
            });
        if (!written) {
            std::fprintf(stderr, "écriture impossible dans %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}

int Run(const QString& path, const QString& output) {
    const double idle = PeakMiB();
    QElapsedTimer timer;
    timer.start();
    OpenedTable table = OpenTableFile(path);
    if (!table.reader) {
        std::fprintf(stderr, "%s\n", qPrintable(table.error));
        return 1;
    }
    qsizetype rows = 0;
    if (output.isEmpty()) {
        Row row;
        while (table.reader->NextRow(row)) {
            ++rows;
        }
    } else {
        // The columns a batch adds: coordinates, status, label, precision, source, remark.
        const Row added = {{u"45.764043"_qs, Cell::Kind::Number},
                           {u"4.835659"_qs, Cell::Kind::Number},
                           {u"trouvée"_qs, Cell::Kind::Text},
                           {u"12 Rue de la République 69001 Lyon"_qs, Cell::Kind::ForeignText},
                           {u"numéro"_qs, Cell::Kind::Text},
                           {u"Base Adresse Nationale"_qs, Cell::Kind::Text},
                           {QString(), Cell::Kind::Text}};
        const bool written = WriteTableFile(output, table.reader->Dialect(), [&](Row& row) {
            if (!table.reader->NextRow(row)) {
                return false;
            }
            row.resize(6);
            row += added;
            ++rows;
            return true;
        });
        if (!written) {
            std::fprintf(stderr, "écriture impossible : %s\n", qPrintable(output));
            return 1;
        }
    }
    if (!table.reader->Error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(table.reader->Error()));
        return 1;
    }
    std::printf("%lld rows, %lld ms, peak %.1f MiB above idle, file %.1f MiB\n",
                static_cast<long long>(rows), static_cast<long long>(timer.elapsed()),
                PeakMiB() - idle, double(QFileInfo(path).size()) / 1048576.0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 4 && arguments[1] == u"make") {
        return Make(arguments[2], arguments[3].toLongLong());
    }
    if (arguments.size() == 3 && arguments[1] == u"read") {
        return Run(arguments[2], {});
    }
    if (arguments.size() == 4 && arguments[1] == u"copy") {
        return Run(arguments[2], arguments[3]);
    }
    std::fprintf(stderr, "usage: %s make DIR ROWS | read FILE | copy FILE OUT\n", argv[0]);
    return 2;
}
