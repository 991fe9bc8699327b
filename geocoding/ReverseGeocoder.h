#pragma once

#include "geocoding/BoundedGet.h"
#include "geocoding/Geocoder.h"

#include <QString>

namespace tarnel {

// The address a reverse geocoder finds nearest to a point, in the parts the main window's
// address boxes take. Parts the geocoder does not give are empty.
struct NearestAddress {
    GeocodeResult::Outcome outcome = GeocodeResult::Outcome::Failed;
    Place place{};   // where the address lies, when found
    QString label{}; // the whole address as the geocoder writes it
    QString street{};
    QString city{};
    QString postcode{};
    QString country{};
};

// Turns a point into the address nearest to it.
class ReverseGeocoder {
public:
    ReverseGeocoder() = default;
    ReverseGeocoder(const ReverseGeocoder&) = delete;
    ReverseGeocoder& operator=(const ReverseGeocoder&) = delete;
    virtual ~ReverseGeocoder() = default;

    // The address nearest to `point` (on Earth). Safe to call from several threads at once;
    // never throws; returns within the geocoder's own time bounds.
    virtual NearestAddress Nearest(const Place& point) = 0;

    // Who answers, as the panel credits it ("Base Adresse Nationale").
    virtual QString SourceName() const = 0;

    // For the end of the program: lookups in flight, waiting or still to come fail at once.
    virtual void CancelLookups() = 0;
};

// What an exchange that brought no body says about the address: why there is none.
GeocodeResult::Outcome OutcomeOfExchange(HttpAnswer::Outcome outcome);

// A decimal text for a request: a full stop, seven decimals (about a centimetre).
QByteArray DecimalParameter(double degrees);

} // namespace tarnel
