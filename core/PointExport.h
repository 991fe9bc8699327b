#pragma once

#include "core/GenericAsc.h"
#include "core/PlacedPoint.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace tarnel {

enum class ExportFormat { GenericAsc, Gpx, Kml, GeoJson };

// The format the extension of a file name asks for: ".asc", ".gpx", ".kml", ".geojson" or
// ".json", in any case; nothing for another extension or none.
std::optional<ExportFormat> FormatOfFileName(const QString& path);

// The whole file of the address window's boxes in `format`, or, when the format needs numbers
// and a coordinate box holds none in range, nothing and the French sentence that says which.
// Generic.ASC takes the boxes as they are (GenericAscFileBytes).
struct ExportFile {
    std::optional<QByteArray> bytes;
    QString problem;
};
ExportFile PointFileBytes(ExportFormat format, const ExportedPoint& boxes);

// A file of many points in `format` (GPX waypoints, KML placemarks in a document named
// `documentName`, a GeoJSON FeatureCollection), a longitude of 180 written as -180, the same
// meridian, which GPX refuses; nothing for Generic.ASC, which holds one point.
std::optional<QByteArray> PointsFileBytes(ExportFormat format, const QString& documentName,
                                          QList<PlacedPoint> points);

// Writes that file at `path`, replacing any previous one only once the new one is whole (see
// ReplaceFileContents). `problem` is PointFileBytes' sentence when the boxes could not be
// written in `format`; `written` is false then and when the file could not be written.
struct ExportOutcome {
    bool written = false;
    QString problem;
};
ExportOutcome WritePointFile(const QString& path, ExportFormat format, const ExportedPoint& boxes);

} // namespace tarnel
