#include "spreadsheet/TableFileWriting.h"

#include "core/FileReplace.h"
#include "spreadsheet/CsvWriter.h"
#include "spreadsheet/OdsWriter.h"
#include "spreadsheet/XlsxWriter.h"

#include <memory>

namespace tarnel {

namespace {

std::unique_ptr<TableWriter> WriterFor(const TableDialect& dialect) {
    switch (dialect.format) {
    case TableFormat::Xlsx:
        return std::make_unique<XlsxWriter>(dialect.sheetName);
    case TableFormat::Ods:
        return std::make_unique<OdsWriter>(dialect.sheetName);
    case TableFormat::Csv:
        break;
    }
    return std::make_unique<CsvWriter>(dialect);
}

} // namespace

bool WriteTableFile(const QString& path, const TableDialect& dialect,
                    const std::function<bool(Row&)>& nextRow) {
    return ReplaceFileContents(path, [&](QIODevice& device) {
        const std::unique_ptr<TableWriter> writer = WriterFor(dialect);
        if (!writer->Begin(device)) {
            return false;
        }
        Row row;
        while (nextRow(row)) {
            if (!writer->Write(row)) {
                return false;
            }
        }
        return writer->Finish();
    });
}

} // namespace tarnel
