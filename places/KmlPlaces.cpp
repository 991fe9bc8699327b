#include "places/KmlPlaces.h"

#include "places/CoordinateReading.h"
#include "places/GuardedXml.h"

namespace tarnel {

namespace {

// The Placemark being read: its texts, and the coordinates of each of its Points.
struct OpenPlacemark {
    int depth = 0;
    QString name;
    QString description;
    QStringList points;
};

} // namespace

PlaceFileReading ReadKmlPlaces(const QByteArray& bytes) {
    GuardedXml reader(bytes, QStringLiteral("KML"));
    QXmlStreamReader& xml = reader.Xml();
    PlaceFileReading reading;
    std::optional<OpenPlacemark> placemark;
    QString* field = nullptr;
    int pointDepth = 0; // of the Point being read, 0 outside one
    qsizetype withoutPoint = 0;
    qsizetype seen = 0;
    while (reader.Next()) {
        const QStringView element = xml.name();
        const int depth = reader.Depth();
        if (xml.isCharacters()) {
            if (field)
                *field += xml.text();
            continue;
        }
        if (xml.isEndElement()) {
            field = nullptr;
            if (depth < pointDepth)
                pointDepth = 0;
            if (!placemark || depth >= placemark->depth)
                continue;
            if (placemark->points.isEmpty())
                ++withoutPoint;
            for (const QString& coordinates : std::as_const(placemark->points)) {
                ++seen;
                const QStringList numbers = coordinates.trimmed().split(u',');
                const std::optional<double> lon =
                    numbers.size() >= 2 ? ReadFileNumber(numbers[0], 180) : std::nullopt;
                const std::optional<double> lat =
                    numbers.size() >= 2 ? ReadFileNumber(numbers[1], 90) : std::nullopt;
                if (!lat || !lon || numbers.size() > 3) {
                    reader.Refuse(OutOfRangeProblem(seen, coordinates.trimmed()));
                    break;
                }
                SavedPlace place;
                place.latitude = *lat;
                place.longitude = *lon;
                place.name = placemark->name.trimmed();
                place.note = placemark->description.trimmed();
                if (numbers.size() == 3)
                    place.altitude = ReadFileNumber(numbers[2], 1e6);
                reading.places.append(place);
            }
            placemark.reset();
            continue;
        }
        if (element == u"Placemark" && !placemark) {
            placemark = OpenPlacemark{depth, {}, {}, {}};
        } else if (placemark && depth == placemark->depth + 1 && element == u"name") {
            field = &placemark->name;
        } else if (placemark && depth == placemark->depth + 1 && element == u"description") {
            field = &placemark->description;
        } else if (placemark && element == u"Point") {
            pointDepth = depth;
        } else if (pointDepth > 0 && depth == pointDepth + 1 && element == u"coordinates") {
            placemark->points.append(QString());
            field = &placemark->points.last();
        }
    }
    if (!reader.Problem().isEmpty())
        return {{}, {}, reader.Problem()};
    reading.warnings = LeftAsideWarning(withoutPoint, QStringLiteral("repère sans point"),
                                        QStringLiteral("repères sans point"),
                                        QStringLiteral("(lignes, polygones)"));
    return reading;
}

} // namespace tarnel
