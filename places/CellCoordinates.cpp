#include "places/CellCoordinates.h"

#include "core/AngleText.h"
#include "core/CoordinateFormReading.h"

#include <QList>
#include <QString>

namespace tarnel {

namespace {

std::optional<GeoPoint> ReadAngles(QStringView latitude, QStringView longitude) {
    const AngleReading north = ReadAngle(latitude.trimmed(), Axis::Latitude);
    const AngleReading east = ReadAngle(longitude.trimmed(), Axis::Longitude);
    if (north.outcome != AngleReading::Outcome::Read ||
        east.outcome != AngleReading::Outcome::Read) {
        return std::nullopt;
    }
    return GeoPoint{north.degrees, east.degrees};
}

// Two angles parted by a semicolon, by the middle one of three commas ("48,85, 2,29") or by
// blanks alone ("48,8584 2,2945").
std::optional<GeoPoint> ReadParted(QStringView text) {
    if (text.count(u';') == 1) {
        const qsizetype at = text.indexOf(u';');
        return ReadAngles(text.left(at), text.mid(at + 1));
    }
    if (text.count(u',') == 3) {
        const qsizetype at = text.indexOf(u',', text.indexOf(u',') + 1);
        return ReadAngles(text.left(at), text.mid(at + 1));
    }
    const QList<QStringView> words = text.split(u' ', Qt::SkipEmptyParts);
    return words.size() == 2 ? ReadAngles(words[0], words[1]) : std::nullopt;
}

} // namespace

std::optional<GeoPoint> ReadCoordinateCells(QStringView latitude, QStringView longitude) {
    if (const auto point = ReadAngles(latitude, longitude))
        return point;
    return ReadCoordinateForm(u"l93", longitude.trimmed().toString() + u' ' +
                                          latitude.trimmed().toString());
}

std::optional<GeoPoint> ReadCoordinateCell(QStringView text) {
    const QString cell = text.trimmed().toString().replace(u'\t', u' ');
    if (cell.isEmpty())
        return std::nullopt;
    if (const auto point = ReadCoordinateForm(u"dd", cell))
        return point;
    if (const auto point = ReadParted(cell))
        return point;
    for (const QStringView key : {u"dms", u"l93", u"cc", u"utm", u"mgrs"}) {
        if (const auto point = ReadCoordinateForm(key, cell))
            return point;
    }
    return std::nullopt;
}

} // namespace tarnel
