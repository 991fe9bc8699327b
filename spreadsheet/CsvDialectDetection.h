#pragma once

#include "spreadsheet/TableDialect.h"

#include <QByteArrayView>

namespace tarnel {

// How a CSV file is written, told from its first bytes `head` (a few tens of kilobytes):
// - the encoding: UTF-8 with its byte order mark, UTF-8 when `validUtf8` says every byte of
//   the file reads as UTF-8, windows-1252 otherwise (Excel's "CSV" on a French Windows);
// - the line end: that of the first line break outside quotes (CR LF when there is none);
// - the separator among ";", ",", tab and "|": the one that splits the header and the rows
//   after it into the same number of fields (more than one), the most often; on a tie the
//   one giving more fields, then that order. A file of one column gets ";";
// - whether every field is quoted.
// `complete` says `head` is the whole file, so that its last line is not taken as cut short.
TableDialect DetectCsvDialect(QByteArrayView head, bool validUtf8, bool complete);

} // namespace tarnel
