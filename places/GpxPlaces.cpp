#include "places/GpxPlaces.h"

#include "places/CoordinateReading.h"
#include "places/GuardedXml.h"

namespace tarnel {

namespace {

// The point being read, and the texts of its child elements.
struct OpenPoint {
    int depth = 0;
    QString fallbackName; // of a route or track point: its route or track, and its rank
    SavedPlace place;
    QString name;
    QString desc;
    QString comment;
    QString elevation;
};

} // namespace

PlaceFileReading ReadGpxPlaces(const QByteArray& bytes, bool routeAndTrackPoints) {
    GuardedXml reader(bytes, QStringLiteral("GPX"));
    QXmlStreamReader& xml = reader.Xml();
    PlaceFileReading reading;
    std::optional<OpenPoint> point;
    QString* field = nullptr; // the child element of the point whose text is being read
    QString parentName;       // of the route or track
    QString* parentField = nullptr;
    qsizetype rank = 0; // of the point in its route or track
    qsizetype skipped = 0;
    qsizetype seen = 0;
    while (reader.Next()) {
        const QStringView element = xml.name();
        if (xml.isCharacters()) {
            if (field)
                *field += xml.text();
            else if (parentField)
                *parentField += xml.text();
            continue;
        }
        const int depth = reader.Depth();
        if (xml.isEndElement()) {
            field = nullptr;
            parentField = nullptr;
            if (point && depth < point->depth) {
                SavedPlace& place = point->place;
                place.name = point->name.trimmed();
                if (place.name.isEmpty())
                    place.name = point->fallbackName;
                place.note = (point->desc.isEmpty() ? point->comment : point->desc).trimmed();
                place.altitude = ReadFileNumber(point->elevation, 1e6);
                reading.places.append(place);
                point.reset();
            }
            continue;
        }
        if (point && depth == point->depth + 1) {
            field = element == u"name"   ? &point->name
                    : element == u"desc" ? &point->desc
                    : element == u"cmt"  ? &point->comment
                    : element == u"ele"  ? &point->elevation
                                         : nullptr;
            continue;
        }
        if ((element == u"rte" && depth == 2) || (element == u"trk" && depth == 2)) {
            parentName.clear();
            rank = 0;
        } else if (element == u"name" && depth == 3 && !point) {
            parentField = &parentName;
        }
        const bool waypoint = element == u"wpt" && depth == 2;
        const bool onTheWay =
            (element == u"rtept" && depth == 3) || (element == u"trkpt" && depth == 4);
        if (!waypoint && !onTheWay)
            continue;
        ++seen;
        if (onTheWay) {
            ++rank;
            if (!routeAndTrackPoints) {
                ++skipped;
                continue;
            }
        }
        const QString latitude = xml.attributes().value(QStringLiteral("lat")).toString();
        const QString longitude = xml.attributes().value(QStringLiteral("lon")).toString();
        const std::optional<double> lat = ReadFileNumber(latitude, 90);
        const std::optional<double> lon = ReadFileNumber(longitude, 180);
        if (!lat || !lon) {
            reader.Refuse(OutOfRangeProblem(seen, latitude + QStringLiteral(", ") + longitude));
            break;
        }
        point = OpenPoint{depth, {}, {}, {}, {}, {}, {}};
        if (onTheWay && !parentName.trimmed().isEmpty())
            point->fallbackName = QStringLiteral("%1 (%2)").arg(parentName.trimmed()).arg(rank);
        point->place.latitude = *lat;
        point->place.longitude = *lon;
    }
    if (!reader.Problem().isEmpty())
        return {{}, {}, reader.Problem()};
    reading.warnings = LeftAsideWarning(skipped, QStringLiteral("point d'itinéraire ou de trace"),
                                        QStringLiteral("points d'itinéraires ou de traces"),
                                        QStringLiteral("(seuls les points de passage sont "
                                                       "importés)"));
    return reading;
}

} // namespace tarnel
