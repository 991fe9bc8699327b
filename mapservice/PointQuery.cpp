#include "mapservice/PointQuery.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>
#include <cmath>

namespace tarnel {

namespace {

constexpr qsizetype kLongestValue = 32;

const QString kUnreadable = QStringLiteral(
    "Point illisible : la latitude et la longitude sont attendues en degrés décimaux, avec un "
    "point (lat=48.8584&lon=2.2945).");
const QString kOffEarth = QStringLiteral(
    "Ce point n'est pas sur la Terre : la latitude doit être comprise entre -90 et 90 degrés.");

std::optional<double> ReadDecimal(const QByteArray& text) {
    static const QRegularExpression kDecimal(QStringLiteral("^-?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (text.size() > kLongestValue || !kDecimal.match(QString::fromLatin1(text)).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

} // namespace

PointQuery ReadPointQuery(QByteArrayView target) {
    const qsizetype mark = target.indexOf('?');
    const QByteArray query = mark < 0 ? QByteArray() : target.sliced(mark + 1).toByteArray();
    std::optional<double> latitude;
    std::optional<double> longitude;
    int latitudes = 0;
    int longitudes = 0;
    for (const QByteArray& pair : query.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        const QByteArray key = pair.left(equals);
        const QByteArray value = QByteArray::fromPercentEncoding(pair.mid(equals + 1));
        if (equals >= 0 && key == "lat") {
            ++latitudes;
            latitude = ReadDecimal(value);
        } else if (equals >= 0 && key == "lon") {
            ++longitudes;
            longitude = ReadDecimal(value);
        }
    }
    if (latitudes != 1 || longitudes != 1 || !latitude || !longitude) {
        return {std::nullopt, kUnreadable};
    }
    if (std::abs(*latitude) > 90) {
        return {std::nullopt, kOffEarth};
    }
    double wrapped = std::remainder(*longitude, 360.0);
    // On the antimeridian remainder() picks a sign of its own; the point keeps the one given.
    if (std::abs(wrapped) == 180) {
        wrapped = std::copysign(180.0, *longitude);
    }
    return {Place{*latitude, wrapped}};
}

} // namespace tarnel
