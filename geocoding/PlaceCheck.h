#pragma once

#include "geocoding/Geocoder.h"

namespace tarnel {

// True when both values are finite and in range: latitude within ±90, longitude within ±180.
bool IsValidPlace(const Place& place);

} // namespace tarnel
