// Fuzz target of the map service's reading of a coordinate pair (ParseCoordinates), from a
// query value any local client can send.
//
// Checked on every input, besides no crash and no sanitizer report:
// - a place comes out only for a pair, and it always lies on Earth (finite, ±90, ±180);
// - a text with no comma, or more than three, is never a pair; a pair not placed says why;
// - print/parse round trip: any place on Earth, printed with a full stop and seven decimals
//   as the page prints it, reads back as a pair within 1e-7, with blanks around either side,
//   and in degrees-minutes-seconds when printed that way, strict or with hemisphere letters
//   and a decimal comma as people paste it.

#include "core/AngleText.h"
#include "fuzz/FuzzSupport.h"
#include "geocoding/PlaceCheck.h"
#include "mapservice/CoordinateText.h"

#include <cmath>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

QString Dms(double value) {
    const double whole = std::abs(value);
    const int degrees = static_cast<int>(whole);
    const int minutes = static_cast<int>((whole - degrees) * 60);
    const double seconds = std::floor(((whole - degrees) * 60 - minutes) * 60 * 1000) / 1000;
    return QStringLiteral("%1%2\u00B0%3'%4\"")
        .arg(value < 0 ? QStringLiteral("-") : QString())
        .arg(degrees)
        .arg(minutes)
        .arg(QString::number(seconds, 'f', 3));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const double latitude = input.ConsumeFloatingPointInRange(-90.0, 90.0);
    const double longitude = input.ConsumeFloatingPointInRange(-180.0, 180.0);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString text = QString::fromUtf8(rest.data(), static_cast<qsizetype>(rest.size()));

    const CoordinateQuery query = ParseCoordinates(text);
    Require(!query.place || query.isPair, "a place comes only from a pair", Shown(text));
    Require(!query.place || IsValidPlace(*query.place), "a place lies on Earth", Shown(text));
    const qsizetype commas = text.count(u',');
    Require(!query.isPair || (commas >= 1 && commas <= 3), "a pair has one to three commas",
            Shown(text));
    Require(!query.isPair || query.place || !query.problem.isEmpty(), "a pair not placed says why",
            Shown(text));

    const QString printed = QString::number(latitude, 'f', 7) + QStringLiteral(" , ") +
                            QString::number(longitude, 'f', 7);
    const CoordinateQuery back = ParseCoordinates(printed);
    Require(back.isPair && back.place && std::abs(back.place->latitude - latitude) <= 1e-7 &&
                std::abs(back.place->longitude - longitude) <= 1e-7,
            "a printed place reads back", Shown(printed));

    const QString dms = Dms(latitude) + u',' + Dms(longitude);
    const CoordinateQuery dmsBack = ParseCoordinates(dms);
    // Rounding can print 60 minutes or seconds, which are rightly refused.
    const bool sixty =
        dms.contains(QStringLiteral("\u00B060'")) || dms.contains(QStringLiteral("'60."));
    Require(sixty || (dmsBack.isPair && dmsBack.place &&
                      std::abs(dmsBack.place->latitude - latitude) <= 1e-5 &&
                      std::abs(dmsBack.place->longitude - longitude) <= 1e-5),
            "a place in degrees-minutes-seconds reads back", Shown(dms));

    QString loose = DmsAngleText(latitude, Axis::Latitude) + QStringLiteral(" , ") +
                    DmsAngleText(longitude, Axis::Longitude);
    loose.replace(u'.', u',');
    const CoordinateQuery looseBack = ParseCoordinates(loose);
    Require(looseBack.place && std::abs(looseBack.place->latitude - latitude) <= 2e-6 &&
                std::abs(looseBack.place->longitude - longitude) <= 2e-6,
            "a place in loose degrees-minutes-seconds reads back", Shown(loose));
    return 0;
}
