#pragma once

#include "spreadsheet/TableReader.h"

#include <QIODevice>
#include <QString>
#include <QStringDecoder>
#include <memory>

namespace tarnel {

// Reads the rows of a CSV file from `device` (open for reading, at its start) as `dialect`
// says: fields between double quotes may hold separators, line breaks and doubled quotes; text
// after a closing quote is kept as it is; the three line ends end a row outside quotes; a
// byte order mark is skipped. An empty line is a row of one empty cell; the line break after
// the last row makes no row of its own. A row longer than kMaxRowCharacters or with more than
// kMaxTableColumns cells, and a quote left open to the end, stop the reading with a French
// message that names the line.
class CsvReader : public TableReader {
public:
    CsvReader(std::unique_ptr<QIODevice> device, const TableDialect& dialect);

    // Whether the last row read ended with a line break, which a row cut short by an
    // interrupted transfer does not.
    bool LastRowEnded() const { return lastRowEnded_; }

protected:
    bool ReadRow(Row& row) override;

private:
    // Makes at least one more character available; false at the end of the device.
    bool Fill();
    bool AtEnd();
    QChar Take() { return buffer_[position_++]; }
    QChar Peek() const { return buffer_[position_]; }

    std::unique_ptr<QIODevice> device_;
    QStringDecoder decoder_;
    QString buffer_;
    qsizetype position_ = 0;
    qint64 line_ = 1;
    bool lastRowEnded_ = true;
    bool bomChecked_ = false;
};

} // namespace tarnel
