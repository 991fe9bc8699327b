#include "geocoding/UpstreamSearch.h"

#include "geocoding/RetryBudget.h"

#include <utility>

namespace tarnel {

UpstreamSearch::UpstreamSearch(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                               std::chrono::milliseconds interval,
                               std::chrono::milliseconds maxWait)
    : UpstreamSearch(std::move(searchUrl), std::move(userAgent), limits,
                     std::make_shared<RateLimiter>(interval, maxWait)) {
}

UpstreamSearch::UpstreamSearch(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                               std::shared_ptr<RateLimiter> turns, RetryAfter retryAfter)
    : searchUrl_(searchUrl.toUtf8())
    , userAgent_(std::move(userAgent))
    , limits_(limits)
    , turns_(std::move(turns))
    , retryAfter_(retryAfter) {
}

HttpAnswer UpstreamSearch::Fetch(const QByteArray& parameters) {
    if (!turns_->Acquire(cancel_)) {
        return {HttpAnswer::Outcome::Refused, {}};
    }
    HttpAnswer answer = BoundedGet(searchUrl_ + '?' + parameters, userAgent_, limits_, &cancel_);
    if (retryAfter_ == RetryAfter::Honoured && answer.status == 429) {
        turns_->HoldUntil(RateLimiter::Clock::now() + RetryBudget::HoldAsked(answer));
    }
    return answer;
}

} // namespace tarnel
