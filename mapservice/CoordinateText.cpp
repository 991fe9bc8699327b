#include "mapservice/CoordinateText.h"

#include "mapservice/PlaceCheck.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace tarnel {

namespace {

std::optional<double> ReadDecimalDegrees(const QString& text) {
    static const QRegularExpression kDecimal(QStringLiteral("^[-+]?(?:\\d+(?:\\.\\d*)?|\\.\\d+)$"));
    if (!kDecimal.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// Degrees-minutes-seconds; NaN when minutes or seconds reach 60, so that the pair is recognised
// but refused.
std::optional<double> ReadDms(const QString& text) {
    static const QRegularExpression kDms(
        QStringLiteral("^([-+]?)(\\d+)\u00B0(\\d+)'(\\d+(?:\\.\\d*)?)\"$"));
    const QRegularExpressionMatch match = kDms.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const double degrees = match.captured(2).toDouble();
    const double minutes = match.captured(3).toDouble();
    const double seconds = match.captured(4).toDouble();
    if (minutes >= 60 || seconds >= 60) {
        return std::nan("");
    }
    const double value = degrees + minutes / 60 + seconds / 3600;
    return match.captured(1) == QLatin1String("-") ? -value : value;
}

std::optional<double> ReadSide(const QString& text) {
    const QString side = text.trimmed();
    if (auto value = ReadDecimalDegrees(side)) {
        return value;
    }
    return ReadDms(side);
}

std::optional<Place> ReadDecimalCommaPair(const QString& text) {
    static const QRegularExpression kGroups(
        QStringLiteral("^\\s*([-+]?\\d+),(\\d+)\\s*,\\s*([-+]?\\d+),(\\d+)\\s*$"));
    const QRegularExpressionMatch match = kGroups.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QChar point(u'.');
    return Place{(match.captured(1) + point + match.captured(2)).toDouble(),
                 (match.captured(3) + point + match.captured(4)).toDouble()};
}

} // namespace

CoordinateQuery ParseCoordinates(const QString& text) {
    std::optional<Place> pair;
    const QStringList sides = text.split(u',');
    if (sides.size() == 2) {
        const auto latitude = ReadSide(sides.at(0));
        const auto longitude = ReadSide(sides.at(1));
        if (latitude && longitude) {
            pair = Place{*latitude, *longitude};
        }
    } else if (sides.size() == 4) {
        pair = ReadDecimalCommaPair(text);
    }
    CoordinateQuery query;
    query.isPair = pair.has_value();
    if (pair && IsValidPlace(*pair)) {
        query.place = pair;
    }
    return query;
}

} // namespace tarnel
