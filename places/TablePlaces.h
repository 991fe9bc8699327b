#pragma once

#include "places/PlaceFileReading.h"

#include "spreadsheet/TableDialect.h"

#include <QByteArray>

namespace tarnel {

// The rows of a table (a CSV file in any dialect OpenTable tells, an XLSX or ODS workbook's
// first sheet) as places, its header row saying which columns hold what (FindPlaceColumns).
// Each row's name is its name cell, else its address cell, else "Ligne N", N being the row's
// number in the table (the header is row 1). Blank rows are passed over; a row whose coordinates
// cannot be read is left out and told in a warning with the first such rows' numbers. Refused,
// with the French sentence, when the bytes are not a table or not one of the format `named` (the
// file name's), it has no coordinate columns, or reading it stops on a fault.
PlaceFileReading ReadTablePlaces(const QByteArray& bytes, TableFormat named);

} // namespace tarnel
