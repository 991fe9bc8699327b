#include "core/GeoJsonPoint.h"

#include "core/ExportText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarnel {

QByteArray GeoJsonFeaturesFile(const QList<PlacedPoint>& points) {
    QJsonArray features;
    for (const PlacedPoint& point : points) {
        // RFC 7946: longitude first, WGS 84 implied, so no "crs" member.
        QJsonArray position{point.longitude, point.latitude};
        if (point.altitude)
            position.append(*point.altitude);
        QJsonObject properties{{QStringLiteral("name"), ExportSafeText(point.name)}};
        if (!point.description.isEmpty())
            properties.insert(QStringLiteral("description"), ExportSafeText(point.description));
        if (point.time.isValid())
            properties.insert(QStringLiteral("time"), point.time.toUTC().toString(Qt::ISODate));
        features.append(QJsonObject{
            {QStringLiteral("type"), QStringLiteral("Feature")},
            {QStringLiteral("geometry"),
             QJsonObject{{QStringLiteral("type"), QStringLiteral("Point")},
                         {QStringLiteral("coordinates"), position}}},
            {QStringLiteral("properties"), properties},
        });
    }
    const QJsonObject collection{
        {QStringLiteral("type"), QStringLiteral("FeatureCollection")},
        {QStringLiteral("features"), features},
    };
    return QJsonDocument(collection).toJson(QJsonDocument::Indented);
}

QByteArray GeoJsonPointFile(const PlacedPoint& point) {
    return GeoJsonFeaturesFile({point});
}

} // namespace tarnel
