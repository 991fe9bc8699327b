#include "core/AltitudeQuery.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <cmath>

namespace tarnel {

QString AltitudeRequestUrl(const QString& mapBaseUrl, const PlacedPoint& point) {
    QUrl url(mapBaseUrl, QUrl::StrictMode);
    if (mapBaseUrl.isEmpty() || !url.isValid() || url.host().isEmpty() ||
        !url.scheme().startsWith(QLatin1String("http"))) {
        return {};
    }
    url.setPath(QStringLiteral("/altitude"));
    url.setQuery(QStringLiteral("lat=%1&lon=%2")
                     .arg(DecimalDegreesText(point.latitude), DecimalDegreesText(point.longitude)));
    url.setFragment({});
    return url.toString(QUrl::FullyEncoded);
}

std::optional<double> AltitudeOfAnswer(const QByteArray& json) {
    const QJsonObject answer = QJsonDocument::fromJson(json).object();
    const QJsonValue metres = answer.value(QLatin1String("metres"));
    if (answer.value(QLatin1String("status")).toString() != QLatin1String("found") ||
        !metres.isDouble() || !std::isfinite(metres.toDouble())) {
        return std::nullopt;
    }
    return metres.toDouble();
}

} // namespace tarnel
