#include "geocoding/PlaceCheck.h"

#include <cmath>

namespace tarnel {

bool IsValidPlace(const Place& place) {
    return std::isfinite(place.latitude) && std::isfinite(place.longitude) &&
           std::abs(place.latitude) <= 90 && std::abs(place.longitude) <= 180;
}

} // namespace tarnel
