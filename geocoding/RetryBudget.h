#pragma once

#include "geocoding/BoundedGet.h"

#include <chrono>
#include <optional>

namespace tarnel {

// The tries of one request to a Géoplateforme service, counted as the service's own clients
// count them: a 429 is waited out for as long as it asks, five times at most; a connection or
// gateway failure (502, 503, 504) is asked again after a second, twice. One per request.
class RetryBudget {
public:
    // How long `answer` asks to be left alone: its Retry-After, 5 seconds (the documented block)
    // when it names none.
    static std::chrono::seconds HoldAsked(const HttpAnswer& answer);

    // Counts `answer`: the pause before the next try, or nullopt when `answer` stands.
    std::optional<std::chrono::seconds> PauseAfter(const HttpAnswer& answer);

private:
    int refusals_ = 0;
    int failures_ = 0;
};

} // namespace tarnel
