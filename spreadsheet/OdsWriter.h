#pragma once

#include "spreadsheet/TableWriter.h"
#include "spreadsheet/ZipWriter.h"

#include <QString>

namespace tarnel {

// Writes an OpenDocument workbook of one sheet named `sheetName` ("Feuille1" when empty):
// texts as string cells (line breaks as paragraphs, runs of spaces and tabs kept), Number
// cells as floats, rows streamed into content.xml after the uncompressed "mimetype" member
// that must come first.
class OdsWriter : public TableWriter {
public:
    explicit OdsWriter(const QString& sheetName);

    bool Begin(QIODevice& device) override;
    bool Write(const Row& row) override;
    bool Finish() override;

private:
    QString sheetName_;
    ZipWriter zip_;
};

} // namespace tarnel
