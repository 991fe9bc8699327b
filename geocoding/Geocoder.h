#pragma once

#include <QString>
#include <vector>

namespace tarnel {

// A point on Earth in decimal degrees (WGS 84).
struct Place {
    double latitude = 0;
    double longitude = 0;
};

// A place a geocoder offers, with its name as the geocoder writes it ("8 Boulevard du Port
// 80000 Amiens").
struct Candidate {
    QString label;
    Place place;
};

// What one lookup came to. Only Found and NoMatch are the geocoder's own answer about the
// place; the others say why there is none and are worth asking again later.
struct GeocodeResult {
    enum class Outcome {
        Found,
        NoMatch,      // no such place, or only guesses too poor to be trusted
        Unreachable,  // no connection to the geocoder (no network, time-out)
        Certificates, // the secure connection failed its certificate check
        Refused,      // the geocoder turned the request down (usage limits)
        Failed,       // an answer that could not be read, or any other error
    };
    Outcome outcome = Outcome::Failed;
    Place place;
    QString label{}; // the name of `place` as the geocoder writes it, when it gives one
    // Other places that fit what was typed as well as `place` and that nothing typed tells
    // apart from it, best first; the page lists them.
    std::vector<Candidate> others{};
    // The INSEE code of the commune of `place`, when the geocoder gives it.
    QString cityCode{};
};

// Turns a postal address into the place of its first match.
class Geocoder {
public:
    Geocoder() = default;
    Geocoder(const Geocoder&) = delete;
    Geocoder& operator=(const Geocoder&) = delete;
    virtual ~Geocoder() = default;

    // The first match for `address` (its parts joined by ", "). Safe to call from several
    // threads at once; never throws; returns within the geocoder's own time bounds.
    virtual GeocodeResult Locate(const QString& address) = 0;

    // Who answers, as the map page credits it ("Base Adresse Nationale").
    virtual QString SourceName() const = 0;

    // For the end of the program: lookups in flight, waiting for their turn or still to come
    // fail at once instead of running out their time. Safe to call from any thread.
    virtual void CancelLookups() = 0;
};

} // namespace tarnel
