#pragma once

#include "fuzz/FuzzSupport.h"
#include "spreadsheet/TableFile.h"
#include "spreadsheet/TableLimits.h"

#include <QBuffer>
#include <QList>
#include <QPair>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

namespace tarnel::fuzz {

// A zip file of the members given, as a workbook holds them.
inline QByteArray ZipOf(const QList<QPair<QString, QByteArray>>& members) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QuaZip zip(&buffer);
    zip.setAutoClose(false);
    zip.open(QuaZip::mdCreate);
    for (const auto& [name, bytes] : members) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, 8, 1);
        file.write(bytes);
        file.close();
    }
    zip.close();
    return buffer.data();
}

inline OpenedTable OpenBytes(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return OpenTable(std::move(buffer));
}

// Reads every row, checking the bounds every reader keeps: no row beyond the table's limits,
// no row wider than the widest sheet, and either rows or a French message.
inline QList<Row> ReadChecked(TableReader& reader) {
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

} // namespace tarnel::fuzz
