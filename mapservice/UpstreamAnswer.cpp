#include "mapservice/UpstreamAnswer.h"

namespace tarnel {

GeocodeResult ReadUpstream(const HttpAnswer& answer,
                           const std::function<GeocodeResult(const QByteArray&)>& readBody) {
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

} // namespace tarnel
