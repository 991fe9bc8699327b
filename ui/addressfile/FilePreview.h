#pragma once

#include "addressfile/AddressColumns.h"
#include "spreadsheet/Cell.h"

#include <QList>
#include <QString>

namespace tarnel {

// The beginning of a table file as the window shows it before a run.
struct FilePreview {
    QString error; // the reader's French message; empty when the file could be read
    Row header;
    QList<Row> rows;           // the first data rows
    AddressColumns recognised; // from the header
};

// Reads the header and the first `most` data rows of the file at `path`, which is only read.
FilePreview ReadFilePreview(const QString& path, qsizetype most);

} // namespace tarnel
