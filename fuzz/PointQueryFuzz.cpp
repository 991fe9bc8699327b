// Fuzz target of the map service's reading of the point the page asks about (ReadPointQuery,
// the query of "/point" and "/adresse"), bytes any local client can send.
//
// Checked on every input, besides no crash and no sanitizer report:
// - a target gives a point or a French sentence saying why not, never both;
// - the point lies on Earth, its longitude within ±180;
// - the point, written back as a query, reads as the same point.

#include "fuzz/FuzzSupport.h"
#include "geocoding/PlaceCheck.h"
#include "mapservice/PointQuery.h"

#include <cmath>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray target(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const PointQuery query = ReadPointQuery(target);
    Require(query.place.has_value() == query.error.isEmpty(), "a point or a reason, never both",
            QString::fromLatin1(target.toPercentEncoding()));
    if (!query.place) {
        return 0;
    }
    const Place place = *query.place;
    Require(IsValidPlace(place), "the point lies on Earth",
            QStringLiteral("%1, %2").arg(place.latitude).arg(place.longitude));
    const QByteArray written = "/point?lat=" + QByteArray::number(place.latitude, 'f', 15) +
                               "&lon=" + QByteArray::number(place.longitude, 'f', 15);
    const PointQuery again = ReadPointQuery(written);
    Require(again.place && std::abs(again.place->latitude - place.latitude) < 1e-12 &&
                std::abs(again.place->longitude - place.longitude) < 1e-12,
            "the point written back reads the same", QString::fromLatin1(written));
    return 0;
}
