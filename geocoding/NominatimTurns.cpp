#include "geocoding/NominatimTurns.h"

namespace tarnel {

namespace {

// How many turns may queue up before a lookup gives up rather than hold its page.
constexpr int kLongestQueueInTurns = 5;

} // namespace

std::shared_ptr<RateLimiter> NominatimTurns(std::chrono::milliseconds interval) {
    return std::make_shared<RateLimiter>(interval, interval * kLongestQueueInTurns);
}

} // namespace tarnel
