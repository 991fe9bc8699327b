// Fuzz target of the XLSX reading (ZipArchive, StreamedXml, XlsxReader) and of XlsxWriter.
//
// The first byte chooses what the rest is: the whole file, or the XML of the sheet, of the
// shared texts or of the styles inside an otherwise sound workbook, so that the XML readers
// are reached without the zip's checksums in the way.
// Checked on every input, besides no crash and no sanitizer report:
// - the input is refused with a message, or read into rows within the bounds of TableLimits.h,
//   a table without rows being told as such;
// - the rows of a table read whole, written by XlsxWriter, open again as a workbook that
//   reads without a fault of its zip or its XML (at worst it has no row).

#include "fuzz/TableFuzz.h"
#include "spreadsheet/XlsxWriter.h"

using namespace tarnel;
using tarnel::fuzz::Require;

namespace {

const QByteArray kSheet = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
                          "<c r=\"B1\" s=\"1\"><v>45356</v></c></row></sheetData></worksheet>";
const QByteArray kShared = "<sst><si><t>adresse</t></si></sst>";
const QByteArray kStyles = "<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/>"
                           "</cellXfs></styleSheet>";

QByteArray Workbook(const QByteArray& sheet, const QByteArray& shared, const QByteArray& styles) {
    return fuzz::ZipOf({
        {QStringLiteral("[Content_Types].xml"), "<Types/>"},
        {QStringLiteral("xl/workbook.xml"),
         "<workbook><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\" "
         "xmlns:r=\"r\"/></sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"x/sharedStrings\" "
         "Target=\"sharedStrings.xml\"/><Relationship Id=\"rId3\" Type=\"x/styles\" "
         "Target=\"styles.xml\"/></Relationships>"},
        {QStringLiteral("xl/worksheets/sheet1.xml"), sheet},
        {QStringLiteral("xl/sharedStrings.xml"), shared},
        {QStringLiteral("xl/styles.xml"), styles},
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    QByteArray bytes;
    switch (data[0] % 4) {
    case 0:
        bytes = rest;
        break;
    case 1:
        bytes = Workbook(rest, kShared, kStyles);
        break;
    case 2:
        bytes = Workbook(kSheet, rest, kStyles);
        break;
    default:
        bytes = Workbook(kSheet, kShared, rest);
        break;
    }
    OpenedTable table = fuzz::OpenBytes(bytes);
    if (!table.reader) {
        Require(!table.error.isEmpty(), "a refusal has a message");
        return 0;
    }
    const QList<Row> rows = fuzz::ReadChecked(*table.reader);
    if (!table.reader->Error().isEmpty() || table.reader->Dialect().format != TableFormat::Xlsx) {
        return 0;
    }
    QBuffer written;
    written.open(QIODevice::ReadWrite);
    XlsxWriter writer(table.reader->Dialect().sheetName);
    Require(writer.Begin(written), "the writer starts");
    for (const Row& row : rows) {
        Require(writer.Write(row), "every row is written");
    }
    Require(writer.Finish(), "the writer ends");
    OpenedTable again = fuzz::OpenBytes(written.data());
    Require(again.reader != nullptr, "the written workbook opens", again.error);
    fuzz::ReadChecked(*again.reader);
    const QString error = again.reader->Error();
    Require(error.isEmpty() || error == QStringLiteral("Le fichier ne contient aucune ligne."),
            "the written workbook reads", error);
    return 0;
}
