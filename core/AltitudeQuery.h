#pragma once

#include "core/PlacedPoint.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnel {

// The map service's question about a point's altitude, as the address window asks it for its
// exports: "<service>/altitude?lat=<lat>&lon=<lon>" on the service of `mapBaseUrl`
// ("http://127.0.0.1:<port>/maps?q="); empty when there is no such service.
QString AltitudeRequestUrl(const QString& mapBaseUrl, const PlacedPoint& point);

// The metres of the service's answer ({"status":"found","metres":35.2,…}); nothing for any other
// answer or bytes that are none.
std::optional<double> AltitudeOfAnswer(const QByteArray& json);

} // namespace tarnel
