#include "core/UtmGrid.h"

#include <GeographicLib/MGRS.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <QRegularExpression>

namespace tarnel {

using GeographicLib::GeographicErr;
using GeographicLib::MGRS;
using GeographicLib::UTMUPS;

std::optional<UtmPoint> ToUtm(GeoPoint point) {
    if (!OnEarth(point)) {
        return std::nullopt;
    }
    try {
        UtmPoint utm;
        UTMUPS::Forward(point.latitude, point.longitude, utm.zone, utm.north, utm.easting,
                        utm.northing);
        if (utm.zone == UTMUPS::UPS) {
            return std::nullopt;
        }
        return utm;
    } catch (const GeographicErr&) {
        return std::nullopt;
    }
}

QString UtmText(const UtmPoint& utm) {
    return QStringLiteral("%1%2 %3 %4")
        .arg(utm.zone)
        .arg(QChar(utm.north ? u'N' : u'S'))
        .arg(QString::number(utm.easting, 'f', 2), QString::number(utm.northing, 'f', 2));
}

std::optional<GeoPoint> ReadUtmText(QStringView text) {
    static const QRegularExpression kUtm(QStringLiteral(
        "^\\s*(\\d{1,2})\\s*([NSns])\\s+(\\d+(?:\\.\\d*)?)\\s+(\\d+(?:\\.\\d*)?)\\s*$"));
    const QRegularExpressionMatch match = kUtm.match(text.toString());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int zone = match.captured(1).toInt();
    if (zone < UTMUPS::MINUTMZONE || zone > UTMUPS::MAXUTMZONE) {
        return std::nullopt;
    }
    const bool north = match.captured(2).toUpper() == u"N";
    try {
        GeoPoint point;
        UTMUPS::Reverse(zone, north, match.captured(3).toDouble(), match.captured(4).toDouble(),
                        point.latitude, point.longitude);
        return OnEarth(point) ? std::optional(point) : std::nullopt;
    } catch (const GeographicErr&) {
        return std::nullopt;
    }
}

QString MgrsText(GeoPoint point) {
    if (!OnEarth(point)) {
        return {};
    }
    try {
        int zone = 0;
        bool north = true;
        double x = 0;
        double y = 0;
        UTMUPS::Forward(point.latitude, point.longitude, zone, north, x, y);
        std::string mgrs;
        MGRS::Forward(zone, north, x, y, point.latitude, 5, mgrs);
        return QString::fromStdString(mgrs);
    } catch (const GeographicErr&) {
        return {};
    }
}

std::optional<GeoPoint> ReadMgrsText(QStringView text) {
    QString compact;
    for (const QChar c : text) {
        if (!c.isSpace()) {
            compact += c;
        }
    }
    // Longer texts are no grid reference; GeographicLib reads at most 11 digit pairs.
    if (compact.isEmpty() || compact.size() > 30) {
        return std::nullopt;
    }
    try {
        int zone = 0;
        bool north = true;
        double x = 0;
        double y = 0;
        int precision = 0;
        MGRS::Reverse(compact.toStdString(), zone, north, x, y, precision);
        if (zone == UTMUPS::INVALID) {
            return std::nullopt;
        }
        GeoPoint point;
        UTMUPS::Reverse(zone, north, x, y, point.latitude, point.longitude);
        return OnEarth(point) ? std::optional(point) : std::nullopt;
    } catch (const GeographicErr&) {
        return std::nullopt;
    }
}

} // namespace tarnel
