#pragma once

#include <QChar>
#include <QString>

namespace tarnel {

enum class TableFormat { Csv, Xlsx, Ods };
enum class TextEncoding { Utf8, Utf8WithBom, Windows1252 };
enum class LineEnd { CrLf, Lf, Cr };

// How a table file is written, as read from it, so that the result can be written the same
// way. Only `format` and `sheetName` matter for XLSX and ODS.
struct TableDialect {
    TableFormat format = TableFormat::Csv;
    QChar separator = u';';
    TextEncoding encoding = TextEncoding::Utf8;
    LineEnd lineEnd = LineEnd::CrLf;
    // Every field between double quotes, as some exports do; otherwise only those that need it.
    bool quoteAll = false;
    QString sheetName;

    // The decimal mark of numbers written in a CSV file: the comma where the fields are
    // separated by semicolons (the French spreadsheet habit), the full stop otherwise.
    QChar DecimalMark() const { return separator == u';' ? u',' : u'.'; }

    friend bool operator==(const TableDialect&, const TableDialect&) = default;
};

} // namespace tarnel
