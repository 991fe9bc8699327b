#pragma once

#include "geocoding/RateLimiter.h"

#include <chrono>
#include <memory>

namespace tarnel {

// The turns of every request the program sends to one Nominatim, searches and reverse lookups
// alike, as its usage policy asks: one request every `interval` (a second for the public
// service) for the whole program. A lookup whose turn lies more than a few turns ahead gives up
// rather than hold its page.
std::shared_ptr<RateLimiter>
NominatimTurns(std::chrono::milliseconds interval = std::chrono::seconds(1));

} // namespace tarnel
