#pragma once

#include "spreadsheet/TableReader.h"

#include <QIODevice>
#include <QString>
#include <memory>

namespace tarnel {

// A table ready to be read, or why it cannot be (in French, for the user).
struct OpenedTable {
    std::unique_ptr<TableReader> reader;
    QString error;
};

// Opens the table in `device` (open for reading, seekable), its kind told from its bytes and
// not from a file name: an XLSX or ODS workbook (a zip file), else a CSV file whose dialect
// DetectCsvDialect reads (the whole file is read once beforehand to tell UTF-8 from
// windows-1252). Refused with a message: an empty file, a password-protected workbook or an
// Excel 97-2003 one (both start with D0 CF 11 E0), UTF-16 text, another kind of zip file, and
// bytes that are not text (NUL bytes or many control characters near the start).
OpenedTable OpenTable(std::unique_ptr<QIODevice> device);

// The same for the file at `path`, which is only read.
OpenedTable OpenTableFile(const QString& path);

// The file at `path` opened again as the table of `dialect` it was found to be by an earlier
// OpenTableFile: a CSV file is not read whole again to tell its encoding.
OpenedTable ReopenTableFile(const QString& path, const TableDialect& dialect);

} // namespace tarnel
