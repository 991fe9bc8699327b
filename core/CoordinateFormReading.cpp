#include "core/CoordinateFormReading.h"

#include "core/AngleText.h"
#include "core/ConicProjection.h"
#include "core/ProjectedText.h"
#include "core/UtmGrid.h"

#include <QRegularExpression>

namespace tarnel {

namespace {

std::optional<GeoPoint> ReadAngles(QStringView latitude, QStringView longitude) {
    const AngleReading north = ReadAngle(latitude, Axis::Latitude);
    const AngleReading east = ReadAngle(longitude, Axis::Longitude);
    if (north.outcome != AngleReading::Outcome::Read ||
        east.outcome != AngleReading::Outcome::Read) {
        return std::nullopt;
    }
    return GeoPoint{north.degrees, east.degrees};
}

// "48.8584000, 2.2945000": the two numbers parted by the comma.
std::optional<GeoPoint> ReadDecimalPair(QStringView text) {
    const qsizetype comma = text.indexOf(u',');
    if (comma < 0 || text.indexOf(u',', comma + 1) >= 0) {
        return std::nullopt;
    }
    return ReadAngles(text.left(comma), text.mid(comma + 1));
}

// "48°51'30.24"N 2°17'40.20"E": the latitude ends at its hemisphere letter.
std::optional<GeoPoint> ReadLetteredPair(QStringView text) {
    static const QRegularExpression kPair(QStringLiteral("^\\s*(.*[NSns])\\s+(\\S.*)$"));
    const QRegularExpressionMatch match = kPair.match(text.toString());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return ReadAngles(match.capturedView(1), match.capturedView(2));
}

} // namespace

std::optional<GeoPoint> ReadCoordinateForm(QStringView key, QStringView text) {
    if (key == u"dd") {
        return ReadDecimalPair(text);
    }
    if (key == u"dms" || key == u"ddm") {
        return ReadLetteredPair(text);
    }
    if (key == u"l93") {
        const auto xy = ReadProjectedText(text);
        return xy ? FromConic(kLambert93, *xy) : std::nullopt;
    }
    if (key == u"cc") {
        const auto cc = ReadCcText(text);
        const bool zoneKnown = cc && cc->zone >= kFirstCcZone && cc->zone <= kLastCcZone;
        return zoneKnown ? FromConic(CcEpsg(cc->zone), cc->xy) : std::nullopt;
    }
    if (key == u"utm") {
        return ReadUtmText(text);
    }
    if (key == u"mgrs") {
        return ReadMgrsText(text);
    }
    return std::nullopt;
}

} // namespace tarnel
