#pragma once

#include "spreadsheet/StreamedXml.h"
#include "spreadsheet/TableReader.h"
#include "spreadsheet/ZipArchive.h"

#include <QIODevice>
#include <memory>
#include <optional>

namespace tarnel {

// Reads the first sheet of an OpenDocument workbook (content.xml, streamed row by row).
// Numbers, percentages and currencies become Number cells from their stored value ("1140",
// "0.5"); dates, times, truth values and texts keep the text the sheet shows (its paragraphs
// joined by line breaks, spaces and tabs restored, comments left out). Repeated rows and
// cells are repeated up to the bounds of TableLimits.h, except the empty ones at a row's end
// and the empty rows at the sheet's end (LibreOffice writes a million of them).
class OdsReader : public TableReader {
public:
    explicit OdsReader(std::unique_ptr<QIODevice> device);

protected:
    bool ReadRow(Row& row) override;

private:
    bool Load();
    // Parses rows until one with content, into pending_; false at the sheet's end.
    bool ParseNextRow();
    bool ParseRow(Row& row);
    bool ParseCell(Row& row, qint64& emptyCells);
    bool ParseText(QString& text);

    ZipArchive zip_;
    std::optional<StreamedXml> content_;
    bool loaded_ = false;
    // Empty rows read and not yet handed out, and the row with content after them with its
    // remaining repeats.
    qint64 emptyRows_ = 0;
    qint64 pendingRepeats_ = 0;
    qint64 rowsGiven_ = 0;
    Row pending_;
};

} // namespace tarnel
