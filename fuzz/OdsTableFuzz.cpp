// Fuzz target of the ODS reading (ZipArchive, StreamedXml, OdsReader) and of OdsWriter.
//
// The first byte chooses what the rest is: the whole file, or the content.xml of an otherwise
// sound workbook, so that the XML reader is reached without the zip's checksums in the way.
// Checked on every input, besides no crash and no sanitizer report:
// - the input is refused with a message, or read into rows within the bounds of TableLimits.h
//   (repeated rows and cells included), a table without rows being told as such;
// - the rows of a table read whole, written by OdsWriter, read again as the same number of
//   rows, the same texts in the same cells (the empty cells at a row's end aside), as long
//   as the texts hold no character XML forbids.

#include "fuzz/TableFuzz.h"
#include "spreadsheet/OdsWriter.h"
#include "spreadsheet/XmlEscape.h"

using namespace tarnel;
using tarnel::fuzz::Require;

namespace {

QStringList Texts(Row row) {
    while (!row.isEmpty() && row.last().text.isEmpty()) {
        row.removeLast();
    }
    QStringList texts;
    for (const Cell& cell : row) {
        texts.append(cell.text);
    }
    return texts;
}

bool XmlSafe(const QList<Row>& rows) {
    for (const Row& row : rows) {
        for (const Cell& cell : row) {
            QString escaped = XmlEscaped(cell.text);
            escaped.replace(QStringLiteral("&amp;"), QStringLiteral("&"))
                .replace(QStringLiteral("&lt;"), QStringLiteral("<"))
                .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
                .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
                .replace(QStringLiteral("&#9;"), QStringLiteral("\t"))
                .replace(QStringLiteral("&#10;"), QStringLiteral("\n"))
                .replace(QStringLiteral("&#13;"), QStringLiteral("\r"));
            if (escaped != cell.text || cell.text.contains(u'\r')) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    const QByteArray bytes = data[0] % 2 == 0
                                 ? rest
                                 : fuzz::ZipOf({{QStringLiteral("mimetype"),
                                                 "application/vnd.oasis.opendocument.spreadsheet"},
                                                {QStringLiteral("content.xml"), rest}});
    OpenedTable table = fuzz::OpenBytes(bytes);
    if (!table.reader) {
        Require(!table.error.isEmpty(), "a refusal has a message");
        return 0;
    }
    const QList<Row> rows = fuzz::ReadChecked(*table.reader);
    if (!table.reader->Error().isEmpty() || table.reader->Dialect().format != TableFormat::Ods ||
        rows.size() > 10000) {
        return 0;
    }
    QBuffer written;
    written.open(QIODevice::ReadWrite);
    OdsWriter writer(table.reader->Dialect().sheetName);
    Require(writer.Begin(written), "the writer starts");
    for (const Row& row : rows) {
        Require(writer.Write(row), "every row is written");
    }
    Require(writer.Finish(), "the writer ends");
    OpenedTable again = fuzz::OpenBytes(written.data());
    Require(again.reader != nullptr, "the written workbook opens", again.error);
    const QList<Row> back = fuzz::ReadChecked(*again.reader);
    Require(again.reader->Error().isEmpty(), "the written workbook reads", again.reader->Error());
    if (!XmlSafe(rows)) {
        return 0;
    }
    // Empty rows at the end are not written back as rows.
    qsizetype last = rows.size();
    while (last > 0 && Texts(rows[last - 1]).isEmpty()) {
        --last;
    }
    Require(back.size() == last, "as many rows come back");
    for (qsizetype i = 0; i < last; ++i) {
        Require(Texts(back[i]) == Texts(rows[i]), "each row comes back the same",
                Texts(rows[i]).join(u'|'));
    }
    return 0;
}
