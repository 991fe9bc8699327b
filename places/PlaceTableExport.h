#pragma once

#include "core/PointExport.h"
#include "places/SavedPlace.h"
#include "spreadsheet/TableDialect.h"

#include <QList>
#include <QString>

namespace tarnel {

// The CSV dialects places are written in: French Excel's (';', windows-1252, CRLF, decimal
// comma) and plain UTF-8 (',', full stop, LF).
TableDialect FrenchExcelCsv();
TableDialect Utf8Csv();

// Writes the places as a table in `dialect` at `path` through WriteTableFile (whole or not at
// all): the header row "nom;latitude;longitude;altitude;adresse;note;ajout", then one row per
// place in order, the coordinates and the altitude as numbers, the texts guarded against being
// taken for formulas, the time it was added in UTC (ISO 8601). `problem` is the French sentence
// when nothing was written.
ExportOutcome WritePlacesTable(const QString& path, const TableDialect& dialect,
                               const QList<SavedPlace>& places);

} // namespace tarnel
