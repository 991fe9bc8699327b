#pragma once

#include "tests/support/LoopbackServer.h"

#include <QList>
#include <QString>
#include <atomic>
#include <mutex>

namespace tarnel::testing {

// A loopback stand-in of the Géoplateforme's altimetry service in its multi-point POST form
// (POST /altimetrie/1.0/calcul/alti/rest/elevation.json, a JSON body of "lon" and "lat" lists
// joined by its "delimiter", "resource" ign_rge_alti_wld, "zonly" true), checked as the
// service documents it (as many longitudes as latitudes, 5,000 at most: 400 otherwise).
// Points get the two altitudes of IGN's documented example in turn
// (tests/mapservice/point-facts/altitude-ign-doc-zonly.json, sources in SOURCES.md there), and
// the documented "not covered" value, -99999, for the latitude set uncovered.
class AltimetryStandin {
public:
    AltimetryStandin();
    bool Start() { return server_.Start(); }

    QString Url() const {
        return server_.Url(u"/altimetrie/1.0/calcul/alti/rest/elevation.json"_qs);
    }

    // Points at this latitude (to the micro-degree) are not covered by the data; one latitude
    // at a time.
    void SetUncovered(double latitude) { uncovered_ = latitude; }
    // The next `count` requests are refused with 429 and "Retry-After: `seconds`".
    void RefuseNext(int count, int seconds) {
        retryAfter_ = seconds;
        refuseNext_ = count;
    }

    // Requests received, refused ones included.
    int Requests() const { return requests_; }
    // How many points each request asked, in order.
    QList<int> PointsAsked() const;

private:
    void Answer(const httplib::Request& request, httplib::Response& response);

    LoopbackServer server_;
    QList<double> recorded_;
    std::atomic<int> refuseNext_{0};
    std::atomic<int> retryAfter_{1};
    std::atomic<int> requests_{0};
    std::atomic<double> uncovered_{-1000}; // no latitude
    mutable std::mutex mutex_;
    QList<int> pointsAsked_;
};

} // namespace tarnel::testing
