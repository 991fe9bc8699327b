// Fuzz target of a table format, as TARNEL_TABLE_FORMAT (Csv, Xlsx or Ods) chooses when it is
// built: OpenTable's checks, then CsvDialectDetection and CsvReader, or ZipArchive,
// StreamedXml and XlsxReader or OdsReader; then the writer of the same format.
//
// For a workbook, the first byte chooses what the rest is: the whole file, or one part of an
// otherwise sound workbook (the sheet, the shared texts or the styles of an XLSX; the
// content.xml of an ODS), so that the XML readers are reached without the zip's checksums in
// the way. For CSV the input is the whole file.
// Checked on every input, besides no crash and no sanitizer report:
// - the input is refused with a message, or read into rows within the bounds of TableLimits.h
//   (ODS's repeated rows and cells included), a table without rows being told as such;
// - the rows of a table read whole, written back in its own dialect:
//   CSV, read again with that dialect, give back the same rows, cell for cell (quotes,
//   separators, line breaks and the encoding of every cell survive the round trip);
//   ODS reads again as the same number of rows, the same texts in the same cells (the empty
//   cells at a row's end aside), as long as the texts hold no character XML forbids;
//   XLSX opens again as a workbook that reads without a fault of its zip or its XML (at worst
//   it has no row).

#include "fuzz/FuzzSupport.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/CsvWriter.h"
#include "spreadsheet/OdsWriter.h"
#include "spreadsheet/TableFile.h"
#include "spreadsheet/TableLimits.h"
#include "spreadsheet/XlsxWriter.h"
#include "spreadsheet/XmlEscape.h"
#include "spreadsheet/ZipWriter.h"

#include <QBuffer>

using namespace tarnel;
using tarnel::fuzz::Require;

constexpr TableFormat kFormat = TableFormat::TARNEL_TABLE_FORMAT;

namespace {

QByteArray ZipOf(const QList<QPair<QString, QByteArray>>& members) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ZipWriter zip;
    zip.Begin(buffer);
    for (const auto& [name, bytes] : members) {
        zip.Add(name, bytes);
    }
    zip.Finish();
    return buffer.data();
}

// The file the input stands for: an XLSX's parts are its sheet, shared texts and styles.
QByteArray FileOf(const QByteArray& input) {
    if (kFormat == TableFormat::Csv || input.isEmpty()) {
        return input;
    }
    const QByteArray rest = input.mid(1);
    const int part = quint8(input[0]) % (kFormat == TableFormat::Ods ? 2 : 4);
    if (part == 0) {
        return rest;
    }
    if (kFormat == TableFormat::Ods) {
        return ZipOf(
            {{QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.spreadsheet"},
             {QStringLiteral("content.xml"), rest}});
    }
    QList<QByteArray> parts = {
        "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
        "<c r=\"B1\" s=\"1\"><v>45356</v></c></row></sheetData></worksheet>",
        "<sst><si><t>adresse</t></si></sst>",
        "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"};
    parts[part - 1] = rest;
    return ZipOf({
        {QStringLiteral("[Content_Types].xml"), "<Types/>"},
        {QStringLiteral("xl/workbook.xml"),
         "<workbook><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\" "
         "xmlns:r=\"r\"/></sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"x/sharedStrings\" "
         "Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" Type=\"x/styles\" "
         "Target=\"styles.xml\"/></Relationships>"},
        {QStringLiteral("xl/worksheets/sheet1.xml"), parts[0]},
        {QStringLiteral("xl/sharedStrings.xml"), parts[1]},
        {QStringLiteral("xl/styles.xml"), parts[2]},
    });
}

OpenedTable OpenBytes(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return OpenTable(std::move(buffer));
}

// Reads every row, checking the bounds every reader keeps: no row beyond the table's limits,
// no row wider than the widest sheet, and either rows or a French message.
QList<Row> ReadChecked(TableReader& reader) {
    QList<Row> rows;
    Row row;
    while (reader.NextRow(row)) {
        Require(row.size() <= kMaxTableColumns, "a row within the column bound");
        rows.append(row);
        Require(rows.size() <= kMaxTableRows, "a table within the row bound");
    }
    Require(!rows.isEmpty() || !reader.Error().isEmpty(), "an empty table is told");
    return rows;
}

std::unique_ptr<TableWriter> WriterFor(const TableDialect& dialect) {
    if (kFormat == TableFormat::Xlsx) {
        return std::make_unique<XlsxWriter>(dialect.sheetName);
    }
    if (kFormat == TableFormat::Ods) {
        return std::make_unique<OdsWriter>(dialect.sheetName);
    }
    return std::make_unique<CsvWriter>(dialect);
}

// The texts of every row, the empty cells at each row's end left out.
QList<QStringList> Texts(const QList<Row>& rows) {
    QList<QStringList> texts;
    for (const Row& row : rows) {
        QStringList cells;
        for (const Cell& cell : row) {
            cells.append(cell.text);
        }
        while (!cells.isEmpty() && cells.last().isEmpty()) {
            cells.removeLast();
        }
        texts.append(cells);
    }
    return texts;
}

// Whether XmlEscaped keeps every character of `text` and writes a carriage return as itself.
bool XmlSafe(const QString& text) {
    return XmlEscaped(text) == QString(text)
                                   .toHtmlEscaped()
                                   .replace(u'\t', QStringLiteral("&#9;"))
                                   .replace(u'\n', QStringLiteral("&#10;"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    OpenedTable table =
        OpenBytes(FileOf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    if (!table.reader) {
        Require(!table.error.isEmpty(), "a refusal has a message");
        return 0;
    }
    const QList<Row> rows = ReadChecked(*table.reader);
    const TableDialect dialect = table.reader->Dialect();
    if (!table.reader->Error().isEmpty() ||
        (kFormat != TableFormat::Csv && dialect.format != kFormat) ||
        (kFormat == TableFormat::Ods && rows.size() > 10000)) {
        return 0;
    }
    Require(dialect.format == kFormat, "text is read as CSV");

    auto written = std::make_unique<QBuffer>();
    written->open(QIODevice::ReadWrite);
    const std::unique_ptr<TableWriter> writer = WriterFor(dialect);
    Require(writer->Begin(*written), "the writer starts");
    for (const Row& row : rows) {
        Require(writer->Write(row), "every row is written");
    }
    Require(writer->Finish(), "the writer ends");
    if (kFormat == TableFormat::Csv) {
        const QByteArray output = written->data();
        written->seek(0);
        CsvReader again(std::move(written), dialect);
        Require(ReadChecked(again) == rows && again.Error().isEmpty(), "the same rows come back",
                fuzz::Shown(QString::fromUtf8(output.left(300))));
        return 0;
    }
    OpenedTable again = OpenBytes(written->data());
    Require(again.reader != nullptr, "the written workbook opens", again.error);
    const QList<Row> back = ReadChecked(*again.reader);
    const QString error = again.reader->Error();
    // An XLSX whose rows all were empty has no row left.
    Require(error.isEmpty() || (kFormat == TableFormat::Xlsx &&
                                error == QStringLiteral("Le fichier ne contient aucune ligne.")),
            "the written workbook reads", error);
    if (kFormat == TableFormat::Xlsx) {
        return 0;
    }
    QList<QStringList> expected = Texts(rows);
    for (const QStringList& row : expected) {
        if (!XmlSafe(row.join(u'|'))) {
            return 0;
        }
    }
    // Empty rows at the end are not written back as rows.
    while (!expected.isEmpty() && expected.last().isEmpty()) {
        expected.removeLast();
    }
    Require(Texts(back) == expected, "the same rows come back");
    return 0;
}
