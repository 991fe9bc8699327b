#pragma once

#include "tests/support/LoopbackServer.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>

namespace tarnel::testing {

// Loopback stand-ins of the services a file of addresses is geocoded with, replaying real
// recorded answers (tests/mapservice/recorded, sources in its cases.json; the wrong-département
// answer quoted in BaseAdresseNationale/adresse.data.gouv.fr issue #2116):
// - POST /geocodage/search/csv, the Géoplateforme's CSV geocoding: multipart `data` and
//   `columns`, answered as the service does (the columns sent, then longitude, latitude and the
//   result_ columns of its best feature, result_score_next from the second, result_status
//   "ok" or "not-found"), in the separator and line end of the file sent;
// - GET /geocodage/search, its search of one address, answering the recorded GeoCodeJSON;
// - GET /nominatim/search, OpenStreetMap's Nominatim, answering its recorded JSON.
// A row is matched to its recording by the text before its first comma, lower case ("18 rue
// duhesme"); a text with no recording gets no feature. Counts what was asked, per row.
class GeocodingStandin {
public:
    GeocodingStandin();
    bool Start() { return server_.Start(); }

    QString CsvUrl() const { return server_.Url(u"/geocodage/search/csv"_qs); }
    QString SearchUrl() const { return server_.Url(u"/geocodage/search"_qs); }
    QString NominatimUrl() const { return server_.Url(u"/nominatim/search"_qs); }

    // Every CSV answer is held this long before it is sent.
    void SetCsvDelay(std::chrono::milliseconds delay) { csvDelay_ = delay; }
    // Every CSV answer is also held this long for each row it answers, as the real service
    // takes time per row.
    void SetCsvRowTime(std::chrono::microseconds perRow) { csvRowTime_ = perRow; }
    // The time spent on the CSV requests, from their arrival to their answer, summed.
    std::chrono::microseconds CsvTime() const { return std::chrono::microseconds(csvTime_); }
    // The next CSV request is refused with 429 and "Retry-After: 1".
    void RefuseNext() { refuseNext_ = true; }
    // The next CSV answer leaves out its last `rows` rows, as a transfer cut short.
    void CutNextShort(int rows) { cutRows_ = rows; }
    // How many times each row, by the value of its first column, was sent in a CSV chunk.
    QHash<QString, int> CsvAsks() const;
    // How many more times each of the rows "0" to "`rows` - 1" was sent since `before`, a
    // CsvAsks() taken earlier.
    QList<int> CsvAsksSince(const QHash<QString, int>& before, int rows) const;
    // CSV requests received, refused ones included.
    int CsvRequests() const { return csvRequests_; }
    // Searches of one address, by the text asked.
    QHash<QString, int> SearchAsks() const;

private:
    void AnswerCsv(const httplib::Request& request, httplib::Response& response);
    QByteArray RecordedFor(const QString& text, bool nominatim) const;

    LoopbackServer server_;
    QHash<QString, QByteArray> ban_;       // key → recorded GeoCodeJSON, "" → no feature
    QHash<QString, QByteArray> nominatim_; // key → recorded Nominatim JSON, "" → none
    std::atomic<std::chrono::milliseconds> csvDelay_{std::chrono::milliseconds(0)};
    std::atomic<std::chrono::microseconds> csvRowTime_{std::chrono::microseconds(0)};
    std::atomic<long long> csvTime_{0}; // µs
    std::atomic<bool> refuseNext_{false};
    std::atomic<int> cutRows_{0};
    std::atomic<int> csvRequests_{0};
    mutable std::mutex mutex_;
    QHash<QString, int> csvAsks_;
    QHash<QString, int> searchAsks_;
};

} // namespace tarnel::testing
