#include "geocoding/OutcomeToTell.h"

#include <algorithm>

namespace tarnel {

GeocodeResult::Outcome OutcomeToTell(const std::vector<GeocodeResult::Outcome>& outcomes) {
    using Outcome = GeocodeResult::Outcome;
    for (const Outcome outcome :
         {Outcome::Certificates, Outcome::Unreachable, Outcome::Refused, Outcome::Failed}) {
        if (std::find(outcomes.cbegin(), outcomes.cend(), outcome) != outcomes.cend()) {
            return outcome;
        }
    }
    return Outcome::NoMatch;
}

} // namespace tarnel
