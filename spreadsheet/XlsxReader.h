#pragma once

#include "spreadsheet/StreamedXml.h"
#include "spreadsheet/TableReader.h"
#include "spreadsheet/ZipArchive.h"

#include <QIODevice>
#include <QList>
#include <QStringList>
#include <memory>
#include <optional>

namespace tarnel {

// Reads the first sheet of an XLSX workbook: the workbook, its relations, shared texts and
// number formats are read first (bounded), then the sheet is streamed row by row. Texts come
// shared or inline; numbers become Number cells ("1140", "48.8566"); dates and times become
// the text a French user sees ("05/03/2024"); true and false become "VRAI" and "FAUX"; the
// cached value of a formula is taken. Cell references place sparse cells and rows: missing
// cells are empty, missing rows are empty rows, and the empty cells at a row's end and the
// empty rows at the sheet's end are left out. A row, a cell or the shared texts beyond the
// bounds of TableLimits.h stop the reading with a French message.
class XlsxReader : public TableReader {
public:
    explicit XlsxReader(std::unique_ptr<QIODevice> device);

protected:
    bool ReadRow(Row& row) override;

private:
    bool Load();
    bool LoadSharedStrings(const QString& path);
    bool LoadStyles(const QString& path);
    // Parses the next <row> with content into pending_; false at the sheet's end.
    bool ParseNextRow();
    bool ParseCell(Row& row, qsizetype& nextColumn);
    Cell CellValue(const QString& type, int style, const QString& value) const;

    ZipArchive zip_;
    std::optional<StreamedXml> sheet_;
    QStringList shared_;
    QList<bool> dateStyles_;
    bool from1904_ = false;
    bool loaded_ = false;
    // Rows are numbered from 1; the next one to hand out, and the parsed row waiting for it.
    qsizetype nextRow_ = 1;
    qsizetype pendingNumber_ = 0;
    Row pending_;
};

} // namespace tarnel
