#include "core/GeoJsonPoint.h"

#include "core/ExportText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarnel {

QByteArray GeoJsonPointFile(const PlacedPoint& point) {
    // RFC 7946: longitude first, WGS 84 implied, so no "crs" member; the altitude third.
    QJsonArray position{point.longitude, point.latitude};
    if (point.altitude)
        position.append(*point.altitude);
    const QJsonObject geometry{
        {QStringLiteral("type"), QStringLiteral("Point")},
        {QStringLiteral("coordinates"), position},
    };
    const QJsonObject feature{
        {QStringLiteral("type"), QStringLiteral("Feature")},
        {QStringLiteral("geometry"), geometry},
        {QStringLiteral("properties"),
         QJsonObject{{QStringLiteral("name"), ExportSafeText(point.name)}}},
    };
    const QJsonObject collection{
        {QStringLiteral("type"), QStringLiteral("FeatureCollection")},
        {QStringLiteral("features"), QJsonArray{feature}},
    };
    return QJsonDocument(collection).toJson(QJsonDocument::Indented);
}

} // namespace tarnel
