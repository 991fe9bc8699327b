#pragma once

#include "spreadsheet/TableDialect.h"
#include "spreadsheet/TableWriter.h"

#include <QString>

namespace tarnel {

// Writes CSV in `dialect`: its separator, encoding (a byte order mark first for UTF-8 with
// one; a character windows-1252 lacks becomes "?") and line ends. A field is put between
// double quotes (its quotes doubled) when it holds the separator, a quote or a line break, or
// when the dialect quotes every field. Number cells take the dialect's decimal mark.
// ForeignText cells that start with "=", "+", "-", "@", a tab or a carriage return are written
// with a leading apostrophe and between quotes, as OWASP's advice on CSV injection says, so
// that a spreadsheet keeps them as text.
class CsvWriter : public TableWriter {
public:
    explicit CsvWriter(const TableDialect& dialect);

    bool Begin(QIODevice& device) override;
    bool Write(const Row& row) override;
    bool Finish() override;

    // The text of one row, its line end included.
    QString RowText(const Row& row) const;

private:
    QString FieldText(const Cell& cell) const;

    TableDialect dialect_;
    QIODevice* device_ = nullptr;
};

} // namespace tarnel
