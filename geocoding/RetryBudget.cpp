#include "geocoding/RetryBudget.h"

namespace tarnel {

namespace {

constexpr std::chrono::seconds kDefaultHold{5};
constexpr int kMostRefusals = 5;
constexpr int kMostFailures = 2;
constexpr std::chrono::seconds kFailurePause{1};

bool WorthAnotherTry(const HttpAnswer& answer) {
    return answer.outcome == HttpAnswer::Outcome::Unreachable || answer.status == 502 ||
           answer.status == 503 || answer.status == 504;
}

} // namespace

std::chrono::seconds RetryBudget::HoldAsked(const HttpAnswer& answer) {
    return answer.retryAfter.count() > 0 ? answer.retryAfter : kDefaultHold;
}

std::optional<std::chrono::seconds> RetryBudget::PauseAfter(const HttpAnswer& answer) {
    if (answer.status == 429) {
        return ++refusals_ <= kMostRefusals ? std::optional(HoldAsked(answer)) : std::nullopt;
    }
    if (WorthAnotherTry(answer) && ++failures_ <= kMostFailures) {
        return kFailurePause;
    }
    return std::nullopt;
}

} // namespace tarnel
