#pragma once

#include "spreadsheet/Cell.h"

#include <QIODevice>

namespace tarnel {

// Writes a table row by row onto a device (seekable, open for writing).
class TableWriter {
public:
    virtual ~TableWriter() = default;

    virtual bool Begin(QIODevice& device) = 0;
    // The next row, the header row first; rows may differ in length.
    virtual bool Write(const Row& row) = 0;
    // Completes the file; nothing may be written after it.
    virtual bool Finish() = 0;
};

} // namespace tarnel
