#include "core/PointExport.h"

#include "core/FileReplace.h"
#include "core/GeoJsonPoint.h"
#include "core/GpxPoint.h"
#include "core/KmlPoint.h"
#include "core/PlacedPoint.h"

#include <QFileInfo>

namespace tarnel {

std::optional<ExportFormat> FormatOfFileName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"asc")
        return ExportFormat::GenericAsc;
    if (suffix == u"gpx")
        return ExportFormat::Gpx;
    if (suffix == u"kml")
        return ExportFormat::Kml;
    if (suffix == u"geojson" || suffix == u"json")
        return ExportFormat::GeoJson;
    return std::nullopt;
}

ExportFile PointFileBytes(ExportFormat format, const ExportedPoint& boxes) {
    if (format == ExportFormat::GenericAsc)
        return {GenericAscFileBytes(boxes), {}};
    const PlacedPointReading reading = ReadPlacedPoint(boxes);
    if (!reading.point)
        return {std::nullopt, reading.problem};
    if (format == ExportFormat::Gpx)
        return {GpxPointFile(*reading.point), {}};
    if (format == ExportFormat::Kml)
        return {KmlPointFile(*reading.point), {}};
    return {GeoJsonPointFile(*reading.point), {}};
}

ExportOutcome WritePointFile(const QString& path, ExportFormat format, const ExportedPoint& boxes) {
    if (format == ExportFormat::GenericAsc)
        return {WriteGenericAscFile(path, boxes), {}};
    const ExportFile file = PointFileBytes(format, boxes);
    if (!file.bytes)
        return {false, file.problem};
    return {ReplaceFileContents(path, *file.bytes), {}};
}

std::optional<QByteArray> PointsFileBytes(ExportFormat format, const QString& documentName,
                                          QList<PlacedPoint> points) {
    for (PlacedPoint& point : points) {
        if (point.longitude == 180)
            point.longitude = -180;
    }
    switch (format) {
    case ExportFormat::Gpx:
        return GpxWaypointsFile(points);
    case ExportFormat::Kml:
        return KmlPlacemarksFile(documentName, points);
    case ExportFormat::GeoJson:
        return GeoJsonFeaturesFile(points);
    case ExportFormat::GenericAsc:
        break;
    }
    return std::nullopt;
}

} // namespace tarnel
