#include "places/PlaceExport.h"

#include "core/FileReplace.h"
#include "core/PlacedPoint.h"

#include <QDir>

namespace tarnel {

std::optional<QByteArray> PlacesFileBytes(ExportFormat format, const QList<SavedPlace>& places) {
    QList<PlacedPoint> points;
    points.reserve(places.size());
    for (const SavedPlace& place : places) {
        PlacedPoint point;
        point.latitude = place.latitude;
        point.longitude = place.longitude;
        point.name = place.name;
        point.description = place.note;
        point.time = place.added;
        point.altitude = place.altitude;
        points.append(point);
    }
    return PointsFileBytes(format, QStringLiteral("Mes lieux"), std::move(points));
}

ExportOutcome WritePlacesFile(const QString& path, ExportFormat format,
                              const QList<SavedPlace>& places) {
    const std::optional<QByteArray> bytes = PlacesFileBytes(format, places);
    if (!bytes)
        return {false, QStringLiteral("Les lieux s'enregistrent en GPX, KML ou GeoJSON.")};
    if (!ReplaceFileContents(path, *bytes))
        return PlacesNotWritten(path);
    return {true, {}};
}

ExportOutcome PlacesNotWritten(const QString& path) {
    return {false, QStringLiteral("Le fichier « %1 » n'a pas pu être enregistré.\nVérifiez que "
                                  "son dossier existe et que vous avez le droit d'y écrire.")
                       .arg(QDir::toNativeSeparators(path))};
}

} // namespace tarnel
