#pragma once

#include "geocoding/ReverseGeocoder.h"

#include <QString>
#include <memory>

namespace tarnel {

// What the search for the address nearest to a point came to.
struct AddressAnswer {
    enum class Status {
        Found,
        None,        // every geocoder asked knows no address there
        Unreachable, // no connection to a geocoder (no network, time-out, certificates)
        Refused,     // a geocoder turned the request down (usage limits)
        Failed,      // an answer that could not be read
        Off,         // no reverse geocoder is switched on
    };
    Status status = Status::Off;
    bool certificates = false; // unreachable because the secure connection failed its check
    NearestAddress address{};  // when found
    double distance = 0;       // metres from the point to the address, when found
    QString source{};          // the geocoder that found it
};

// Finds the address nearest to a point: the French geocoder first for a point in France's
// extents, the world one for any other point, or when the French one knows none, cannot be
// asked, or finds one farther than kNearEnough (a point over a border); the nearer of the two
// addresses then. The French geocoder covers France only and is never asked elsewhere. Answers
// are cached per point (CachingReverseGeocoder). A geocoder left null is not asked.
class NearestAddressFinder {
public:
    static constexpr double kNearEnough = 500; // metres

    NearestAddressFinder(std::unique_ptr<ReverseGeocoder> france,
                         std::unique_ptr<ReverseGeocoder> world);

    // Safe to call from several threads at once; returns within the geocoders' time bounds.
    AddressAnswer Find(const Place& point);

    // For the end of the program, see ReverseGeocoder::CancelLookups.
    void CancelLookups();

private:
    const std::unique_ptr<ReverseGeocoder> france_;
    const std::unique_ptr<ReverseGeocoder> world_;
};

} // namespace tarnel
