#include "geocoding/ReverseGeocoder.h"

namespace tarnel {

GeocodeResult::Outcome OutcomeOfExchange(HttpAnswer::Outcome outcome) {
    using Outcome = GeocodeResult::Outcome;
    switch (outcome) {
    case HttpAnswer::Outcome::Unreachable:
        return Outcome::Unreachable;
    case HttpAnswer::Outcome::Certificates:
        return Outcome::Certificates;
    case HttpAnswer::Outcome::Refused:
        return Outcome::Refused;
    case HttpAnswer::Outcome::Body:
    case HttpAnswer::Outcome::Failed:
        break;
    }
    return Outcome::Failed;
}

QByteArray DecimalParameter(double degrees) {
    return QByteArray::number(degrees, 'f', 7);
}

} // namespace tarnel
