#pragma once

#include "core/PointExport.h"
#include "places/SavedPlace.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tarnel {

// The places as a GPX 1.1, KML 2.2 or GeoJSON file (GpxWaypointsFile, KmlPlacemarksFile,
// GeoJsonFeaturesFile), in their order: the name, the note as the description, the time it was
// added, the altitude when known. A longitude of 180 is written -180, the same meridian.
// Nothing for GenericAsc, which holds one point only.
std::optional<QByteArray> PlacesFileBytes(ExportFormat format, const QList<SavedPlace>& places);

// Writes that file at `path` through ReplaceFileContents (whole or not at all, the previous
// file kept on failure); `problem` is the French sentence when nothing was written.
ExportOutcome WritePlacesFile(const QString& path, ExportFormat format,
                              const QList<SavedPlace>& places);

// What every export of places answers when the file at `path` could not be written: its
// French sentence, which names the file.
ExportOutcome PlacesNotWritten(const QString& path);

} // namespace tarnel
