#include "places/PlaceFileImport.h"

#include "places/GeoJsonPlaces.h"
#include "places/GpxPlaces.h"
#include "places/KmlPlaces.h"
#include "places/TablePlaces.h"

#include <QDir>
#include <QFile>

namespace tarnel {

namespace {

const QString kOtherFormat =
    QStringLiteral("seuls les fichiers .gpx, .kml, .geojson, .json, .csv, .xlsx et .ods sont lus.");

// The table the file name's extension names: ".csv", ".xlsx" or ".ods", any case.
std::optional<TableFormat> TableFormatOfName(const QString& name) {
    if (!name.contains(u'.'))
        return std::nullopt;
    const QString suffix = name.section(u'.', -1).toLower();
    if (suffix == u"csv")
        return TableFormat::Csv;
    if (suffix == u"xlsx")
        return TableFormat::Xlsx;
    if (suffix == u"ods")
        return TableFormat::Ods;
    return std::nullopt;
}

// Whether the file name's extension is one of the formats places are read from.
bool PlaceFileName(const QString& name) {
    const std::optional<ExportFormat> format = FormatOfFileName(name);
    return TableFormatOfName(name) || (format && *format != ExportFormat::GenericAsc);
}

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
    if (!PlaceFileName(name))
        return Refused(name, kOtherFormat);
    if (bytes.size() > kMaxPlaceFileBytes)
        return Refused(name, TooLarge());
    const std::optional<TableFormat> table = TableFormatOfName(name);
    PlaceFileReading reading =
        table ? ReadTablePlaces(bytes, *table)
              : ReadPlaceBytes(bytes, *FormatOfFileName(name), routeAndTrackPoints);
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
    if (!PlaceFileName(path))
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
