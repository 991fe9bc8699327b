#pragma once

#include <QtGlobal>

namespace tarnel {

// Bounds of what the table readers accept, so that no file can exhaust the memory: those of
// the spreadsheets themselves for rows and columns, generous ones for the text.
inline constexpr qsizetype kMaxTableRows = 1048576;
inline constexpr qsizetype kMaxTableColumns = 16384;
// Characters of one row, its cells together (a cell of 100,000 characters is a row's worth).
inline constexpr qsizetype kMaxRowCharacters = qsizetype{8} << 20;
// Bytes a zip member may expand to, and how much larger than its compressed size it may be
// once it is big; a spreadsheet's XML compresses about 10 to 30 times.
inline constexpr qint64 kMaxZipMemberBytes = qint64{1} << 30;
inline constexpr qint64 kMaxZipRatio = 1000;
inline constexpr qint64 kZipRatioFloorBytes = qint64{16} << 20;
// The small parts of a workbook (workbook, relations, styles) are held whole, and so are its
// shared texts, within their own bounds.
inline constexpr qint64 kMaxHeldPartBytes = qint64{256} << 20;
inline constexpr qsizetype kMaxSharedTexts = qsizetype{4} << 20;
inline constexpr qsizetype kMaxSharedCharacters = qsizetype{64} << 20;

} // namespace tarnel
