#pragma once

#include "spreadsheet/Cell.h"
#include "spreadsheet/TableDialect.h"

#include <QString>
#include <functional>

namespace tarnel {

// Writes the table whose rows `nextRow` hands out one by one (false once there are no more)
// to `path` in `dialect` (a CSV file in its dialect, an XLSX or ODS workbook of one sheet),
// atomically through ReplaceFileContents: on any failure the file at
// `path` stays as it was. True when the whole table was written.
bool WriteTableFile(const QString& path, const TableDialect& dialect,
                    const std::function<bool(Row&)>& nextRow);

} // namespace tarnel
