#include "core/PlacedPoint.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace tarnel {

namespace {

// The boxes take signs, digits and full stops only: anything else was not typed as a number.
std::optional<double> ReadDecimal(const QString& text, double limit) {
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    const QString trimmed = text.trimmed();
    if (!decimal.match(trimmed).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || value < -limit || value > limit)
        return std::nullopt;
    return value;
}

QString Problem(const QString& box, const QString& text, int limit) {
    return QStringLiteral("La %1 « %2 » n'est pas un nombre entre -%3 et %3 : le fichier n'a pas "
                          "été enregistré.")
        .arg(box, text, QString::number(limit));
}

} // namespace

PlacedPointReading ReadPlacedPoint(const ExportedPoint& boxes) {
    const std::optional<double> latitude = ReadDecimal(boxes.latitude, 90);
    if (!latitude)
        return {std::nullopt, Problem(QStringLiteral("latitude"), boxes.latitude, 90)};
    const std::optional<double> longitude = ReadDecimal(boxes.longitude, 180);
    if (!longitude)
        return {std::nullopt, Problem(QStringLiteral("longitude"), boxes.longitude, 180)};
    PlacedPoint point;
    point.latitude = *latitude;
    point.longitude = *longitude == 180 ? -180 : *longitude;
    point.name = ExportedPointName(boxes);
    if (boxes.altitude && std::isfinite(*boxes.altitude))
        point.altitude = std::round(*boxes.altitude * 100) / 100;
    return {point, {}};
}

QString DecimalDegreesText(double value) {
    // -0 would be written "-0".
    return QString::number(value == 0 ? 0.0 : value, 'f', QLocale::FloatingPointShortest);
}

} // namespace tarnel
