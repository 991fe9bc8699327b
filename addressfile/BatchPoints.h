#pragma once

#include "addressfile/BatchJournal.h"
#include "core/PointExport.h"

#include <QString>

namespace tarnel {

// Writes the rows found (status "trouvée") of `journal` as a GPX, KML or GeoJSON file at `path`,
// in the order of their rows, through ReplaceFileContents (whole or not at all): each point
// named with the address found, described by its row in the table ("ligne 2" for the first row
// under the header), with its altitude when `altitude` was asked and is known. Rows to check,
// not found or in error are left out. Returns the reason it failed, in French; empty when the
// file was written.
QString WriteBatchPoints(const QString& path, ExportFormat format, bool altitude,
                         BatchJournal& journal);

} // namespace tarnel
