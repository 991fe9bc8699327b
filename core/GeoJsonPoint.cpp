#include "core/GeoJsonPoint.h"

#include "core/ExportText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarnel {

QByteArray GeoJsonPointFile(const PlacedPoint& point) {
    // RFC 7946: longitude first, WGS 84 implied, so no "crs" member.
    const QJsonObject geometry{
        {QStringLiteral("type"), QStringLiteral("Point")},
        {QStringLiteral("coordinates"), QJsonArray{point.longitude, point.latitude}},
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
