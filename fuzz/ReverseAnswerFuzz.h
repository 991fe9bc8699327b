#pragma once

#include "fuzz/FuzzSupport.h"
#include "geocoding/PlaceCheck.h"
#include "geocoding/ReverseGeocoder.h"

namespace tarnel::fuzz {

// What both reverse searches' answer readers promise for any bytes: an address found lies on
// Earth; an answer that found none carries no part of one; reading is a pure function of the
// bytes.
template <typename Reader> void CheckReverseReader(const Reader& read, const QByteArray& bytes) {
    const NearestAddress address = read(bytes);
    if (address.outcome == GeocodeResult::Outcome::Found) {
        Require(IsValidPlace(address.place), "an address found lies on Earth",
                QStringLiteral("%1, %2").arg(address.place.latitude).arg(address.place.longitude));
    } else {
        Require(address.outcome == GeocodeResult::Outcome::NoMatch ||
                    address.outcome == GeocodeResult::Outcome::Failed,
                "reading an answer finds, finds none or fails");
        Require(address.label.isEmpty() && address.street.isEmpty() && address.city.isEmpty() &&
                    address.postcode.isEmpty() && address.country.isEmpty() &&
                    address.place.latitude == 0 && address.place.longitude == 0,
                "no address comes with an answer that found none");
    }
    const NearestAddress again = read(bytes);
    Require(again.outcome == address.outcome && again.label == address.label &&
                again.street == address.street && again.city == address.city &&
                again.postcode == address.postcode && again.country == address.country &&
                again.place.latitude == address.place.latitude &&
                again.place.longitude == address.place.longitude,
            "the same answer reads the same");
}

} // namespace tarnel::fuzz
