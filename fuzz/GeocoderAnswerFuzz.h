#pragma once

#include "fuzz/FuzzSupport.h"
#include "geocoding/Geocoder.h"
#include "geocoding/PlaceCheck.h"

namespace tarnel::fuzz {

// What both geocoders' answer readers promise for any bytes: a place found lies on Earth, and
// reading is a pure function of the bytes (the same answer twice gives the same result).
template <typename Reader> void CheckAnswerReader(const Reader& read, const QByteArray& bytes) {
    const GeocodeResult result = read(bytes);
    if (result.outcome == GeocodeResult::Outcome::Found) {
        Require(IsValidPlace(result.place), "a place found lies on Earth",
                QStringLiteral("%1, %2").arg(result.place.latitude).arg(result.place.longitude));
    } else {
        Require(result.place.latitude == 0 && result.place.longitude == 0,
                "no place comes with an answer that found none");
    }
    const GeocodeResult again = read(bytes);
    Require(again.outcome == result.outcome && again.place.latitude == result.place.latitude &&
                again.place.longitude == result.place.longitude,
            "the same answer reads the same");
}

} // namespace tarnel::fuzz
