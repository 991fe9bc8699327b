#pragma once

#include "spreadsheet/TableWriter.h"
#include "spreadsheet/ZipWriter.h"

#include <QString>

namespace tarnel {

// Writes an XLSX workbook of one sheet named `sheetName` ("Feuille1" when empty; cut to the
// 31 characters Excel allows, without the characters it forbids): texts as inline strings
// (cut to Excel's 32,767 characters a cell, which stay text whatever they start with),
// Number cells as numbers, rows streamed into the sheet.
class XlsxWriter : public TableWriter {
public:
    explicit XlsxWriter(const QString& sheetName);

    bool Begin(QIODevice& device) override;
    bool Write(const Row& row) override;
    bool Finish() override;

    // The column name of the zero-based `column`: A, …, Z, AA, …
    static QString ColumnName(qsizetype column);

private:
    QString sheetName_;
    ZipWriter zip_;
    qsizetype rows_ = 0;
};

} // namespace tarnel
