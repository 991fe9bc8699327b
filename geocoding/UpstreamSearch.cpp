#include "geocoding/UpstreamSearch.h"

#include <utility>

namespace tarnel {

namespace {

GeocodeResult ReadUpstream(const HttpAnswer& answer, const UpstreamSearch::BodyReader& readBody) {
    using Outcome = GeocodeResult::Outcome;
    switch (answer.outcome) {
    case HttpAnswer::Outcome::Body:
        return readBody(answer.body);
    case HttpAnswer::Outcome::Unreachable:
        return {Outcome::Unreachable, {}};
    case HttpAnswer::Outcome::Certificates:
        return {Outcome::Certificates, {}};
    case HttpAnswer::Outcome::Refused:
        return {Outcome::Refused, {}};
    case HttpAnswer::Outcome::Failed:
        break;
    }
    return {Outcome::Failed, {}};
}

} // namespace

UpstreamSearch::UpstreamSearch(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                               std::chrono::milliseconds interval,
                               std::chrono::milliseconds maxWait)
    : UpstreamSearch(std::move(searchUrl), std::move(userAgent), limits,
                     std::make_shared<RateLimiter>(interval, maxWait)) {
}

UpstreamSearch::UpstreamSearch(QString searchUrl, QByteArray userAgent, HttpLimits limits,
                               std::shared_ptr<RateLimiter> turns)
    : searchUrl_(searchUrl.toUtf8())
    , userAgent_(std::move(userAgent))
    , limits_(limits)
    , turns_(std::move(turns)) {
}

GeocodeResult UpstreamSearch::Ask(const QByteArray& parameters, const BodyReader& readBody) {
    return ReadUpstream(Fetch(parameters), readBody);
}

HttpAnswer UpstreamSearch::Fetch(const QByteArray& parameters) {
    if (!turns_->Acquire(cancel_)) {
        return {HttpAnswer::Outcome::Refused, {}};
    }
    return BoundedGet(searchUrl_ + '?' + parameters, userAgent_, limits_, &cancel_);
}

} // namespace tarnel
