#include "places/PlaceFileImport.h"

#include "places/GeoJsonPlaces.h"
#include "places/GpxPlaces.h"
#include "places/KmlPlaces.h"

#include <QDir>
#include <QFile>

namespace tarnel {

PlaceFileReading ReadPlaceBytes(const QByteArray& bytes, ExportFormat format,
                                bool routeAndTrackPoints) {
    switch (format) {
    case ExportFormat::Gpx:
        return ReadGpxPlaces(bytes, routeAndTrackPoints);
    case ExportFormat::Kml:
        return ReadKmlPlaces(bytes);
    case ExportFormat::GeoJson:
        return ReadGeoJsonPlaces(bytes);
    case ExportFormat::GenericAsc:
        break;
    }
    return {{}, {}, QStringLiteral("Les lieux s'importent de fichiers GPX, KML ou GeoJSON.")};
}

PlaceFileReading ReadPlaceFile(const QString& path, bool routeAndTrackPoints) {
    const QString shown = QDir::toNativeSeparators(path);
    const auto refused = [&](const QString& why) {
        return PlaceFileReading{
            {}, {}, QStringLiteral("Le fichier « %1 » n'a pas été importé : ").arg(shown) + why};
    };
    const std::optional<ExportFormat> format = FormatOfFileName(path);
    if (!format || *format == ExportFormat::GenericAsc)
        return refused(QStringLiteral("seuls les fichiers .gpx, .kml, .geojson et .json sont "
                                      "lus."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(QStringLiteral("il n'a pas pu être ouvert."));
    // A pipe or a device tells no size: never more than the bound plus one byte is read.
    if (file.size() > kMaxPlaceFileBytes)
        return refused(QStringLiteral("il dépasse %1 Mo.").arg(kMaxPlaceFileBytes >> 20));
    const QByteArray bytes = file.read(kMaxPlaceFileBytes + 1);
    if (bytes.size() > kMaxPlaceFileBytes)
        return refused(QStringLiteral("il dépasse %1 Mo.").arg(kMaxPlaceFileBytes >> 20));
    if (file.error() != QFileDevice::NoError)
        return refused(QStringLiteral("il n'a pas pu être lu."));
    PlaceFileReading reading = ReadPlaceBytes(bytes, *format, routeAndTrackPoints);
    if (!reading.problem.isEmpty())
        return refused(reading.problem);
    if (reading.places.isEmpty())
        return refused(
            QStringLiteral("il ne contient aucun point.") +
            (reading.warnings.isEmpty() ? QString() : u' ' + reading.warnings.join(u' ')));
    return reading;
}

} // namespace tarnel
