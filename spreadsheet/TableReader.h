#pragma once

#include "spreadsheet/Cell.h"
#include "spreadsheet/TableDialect.h"

#include <QString>

namespace tarnel {

// Reads a table one row at a time, the header row first, so that a file of any length is
// read in bounded memory.
class TableReader {
public:
    virtual ~TableReader() = default;

    // The next row into `row`; false at the end of the table or on a fault, which Error() then
    // tells. A table without a single row ends with the fault "no row", never silently.
    bool NextRow(Row& row);

    // Why reading stopped early, in French for the user; empty after a clean end.
    QString Error() const { return error_; }

    TableDialect Dialect() const { return dialect_; }

protected:
    // The next row, as NextRow; the first fault is kept by Fail().
    virtual bool ReadRow(Row& row) = 0;

    // Records the first fault; always false, to end ReadRow with.
    bool Fail(const QString& message);

    TableDialect dialect_;

private:
    QString error_;
    bool anyRow_ = false;
};

} // namespace tarnel
