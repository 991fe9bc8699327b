#pragma once

#include "geocoding/Geocoder.h"

#include <vector>

namespace tarnel {

// Of the outcomes of the geocoders asked about one place and that did not find it, the one to
// tell the user: the failure the user can best act on, the network first (a failed certificate
// check before any other), then refusals, then unreadable answers; NoMatch when every geocoder
// asked knows no such place, or when none was asked.
GeocodeResult::Outcome OutcomeToTell(const std::vector<GeocodeResult::Outcome>& outcomes);

} // namespace tarnel
