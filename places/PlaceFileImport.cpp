#include "places/PlaceFileImport.h"

#include "places/GeoJsonPlaces.h"
#include "places/GpxPlaces.h"
#include "places/KmlPlaces.h"

#include <QDir>
#include <QFile>

namespace tarnel {

namespace {

const QString kOtherFormat =
    QStringLiteral("seuls les fichiers .gpx, .kml, .geojson et .json sont lus.");

QString TooLarge() {
    return QStringLiteral("il dépasse %1 Mo.").arg(kMaxPlaceFileBytes >> 20);
}

PlaceFileReading Refused(const QString& name, const QString& why) {
    return {{}, {}, QStringLiteral("Le fichier « %1 » n'a pas été importé : ").arg(name) + why};
}

} // namespace

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

PlaceFileReading ReadNamedPlaceBytes(const QString& name, const QByteArray& bytes,
                                     bool routeAndTrackPoints) {
    const std::optional<ExportFormat> format = FormatOfFileName(name);
    if (!format || *format == ExportFormat::GenericAsc)
        return Refused(name, kOtherFormat);
    if (bytes.size() > kMaxPlaceFileBytes)
        return Refused(name, TooLarge());
    PlaceFileReading reading = ReadPlaceBytes(bytes, *format, routeAndTrackPoints);
    if (!reading.problem.isEmpty())
        return Refused(name, reading.problem);
    if (reading.places.isEmpty())
        return Refused(name, QStringLiteral("il ne contient aucun point.") +
                                 (reading.warnings.isEmpty() ? QString()
                                                             : u' ' + reading.warnings.join(u' ')));
    return reading;
}

PlaceFileReading ReadPlaceFile(const QString& path, bool routeAndTrackPoints) {
    const QString shown = QDir::toNativeSeparators(path);
    // Told before the file is opened: a file of another kind is not read at all.
    const std::optional<ExportFormat> format = FormatOfFileName(path);
    if (!format || *format == ExportFormat::GenericAsc)
        return Refused(shown, kOtherFormat);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Refused(shown, QStringLiteral("il n'a pas pu être ouvert."));
    // A pipe or a device tells no size: never more than the bound plus one byte is read.
    if (file.size() > kMaxPlaceFileBytes)
        return Refused(shown, TooLarge());
    const QByteArray bytes = file.read(kMaxPlaceFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Refused(shown, QStringLiteral("il n'a pas pu être lu."));
    return ReadNamedPlaceBytes(shown, bytes, routeAndTrackPoints);
}

} // namespace tarnel
