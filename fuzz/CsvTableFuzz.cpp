// Fuzz target of the CSV reading (OpenTable's checks and dialect detection, CsvReader) and of
// CsvWriter.
//
// Checked on every input, besides no crash and no sanitizer report:
// - the input is refused with a message, or read into rows within the bounds of TableLimits.h,
//   a table without rows being told as such;
// - a table read whole, written by CsvWriter in its own dialect and read again with that
//   dialect, gives back the same rows, cell for cell (quotes, separators, line breaks and the
//   encoding of every cell survive the round trip).

#include "fuzz/TableFuzz.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/CsvWriter.h"

using namespace tarnel;
using tarnel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    OpenedTable table = fuzz::OpenBytes(bytes);
    if (!table.reader) {
        Require(!table.error.isEmpty(), "a refusal has a message");
        return 0;
    }
    const QList<Row> rows = fuzz::ReadChecked(*table.reader);
    if (!table.reader->Error().isEmpty()) {
        return 0;
    }
    const TableDialect dialect = table.reader->Dialect();
    Require(dialect.format == TableFormat::Csv, "text is read as CSV");

    auto written = std::make_unique<QBuffer>();
    written->open(QIODevice::ReadWrite);
    CsvWriter writer(dialect);
    Require(writer.Begin(*written), "the writer starts");
    for (const Row& row : rows) {
        Require(writer.Write(row), "every row is written");
    }
    Require(writer.Finish(), "the writer ends");
    written->seek(0);
    const QByteArray output = written->data();
    CsvReader again(std::move(written), dialect);
    Row row;
    for (const Row& expected : rows) {
        Require(again.NextRow(row), "every row comes back", fuzz::Shown(again.Error()));
        Require(row == expected, "each row comes back the same",
                fuzz::Shown(QString::fromUtf8(output.left(300))));
    }
    Require(!again.NextRow(row), "no row is added");
    return 0;
}
