#pragma once

#include "tests/support/LoopbackServer.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <mutex>
#include <optional>

namespace tarnel::testing {

// One request as the service received it.
struct RecordedRequest {
    QString path;                         // "/maps"
    QByteArray rawQuery;                  // the query string exactly as sent, "q=48.8584%2C2.2945"
    QString q;                            // the decoded value of q, "+" read as a blank
    QMap<QByteArray, QByteArray> headers; // names lower-cased
};

// A small map service on 127.0.0.1 standing in for the public one, for tests and for trying
// the program offline. "/maps?q=" answers an HTML page that shows the query and a drawn map
// with a marker. For a coordinate pair and for the few addresses of its own table the page
// also carries the place as ":{lat:…,lng:…}," in the arrangement the geocoding reads.
class StandinMapService {
public:
    StandinMapService();
    ~StandinMapService();
    StandinMapService(const StandinMapService&) = delete;
    StandinMapService& operator=(const StandinMapService&) = delete;

    // Starts answering on `port` (0: any free port). False when the port cannot be bound.
    bool Start(int port = 0);
    int Port() const { return server_.Port(); }
    // "http://127.0.0.1:<port>/maps?q="
    QString BaseUrl() const;

    // Every request received so far, oldest first; safe to call while the service answers.
    QList<RecordedRequest> Requests() const;

    // The place the service knows for a query value, as latitude and longitude.
    struct Place {
        double latitude;
        double longitude;
    };
    static std::optional<Place> Locate(const QString& q);
    // The page answered for a query value.
    static QByteArray MapPage(const QString& q);

private:
    void Record(const httplib::Request& request);

    mutable std::mutex mutex_;
    QList<RecordedRequest> requests_;
    LoopbackServer server_; // last: stopped before what its handlers use is destroyed
};

} // namespace tarnel::testing
