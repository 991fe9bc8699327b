#include "geocoding/GeoplateformeCsvSearch.h"

#include <algorithm>
#include <utility>

namespace tarnel {

namespace {

constexpr std::chrono::milliseconds kRequestInterval{20};
constexpr std::chrono::milliseconds kLongestQueue{60000};
// The documented block lasts 5 seconds; a longer Retry-After is taken up to a minute.
constexpr std::chrono::seconds kDefaultRetryAfter{5};
constexpr std::chrono::seconds kLongestRetryAfter{60};
constexpr int kMostRefusals = 5;
constexpr int kMostFailures = 2;
constexpr std::chrono::seconds kFailurePause{1};

bool WorthAnotherTry(const HttpAnswer& answer) {
    return answer.outcome == HttpAnswer::Outcome::Unreachable || answer.status == 502 ||
           answer.status == 503 || answer.status == 504;
}

} // namespace

HttpLimits GeoplateformeCsvSearch::Limits() {
    return {std::chrono::seconds(10), std::chrono::minutes(10), qsizetype{256} << 20};
}

GeoplateformeCsvSearch::GeoplateformeCsvSearch(QString url, QByteArray userAgent, HttpLimits limits)
    : url_(url.toUtf8())
    , userAgent_(std::move(userAgent))
    , limits_(limits)
    , turns_(kRequestInterval, kLongestQueue) {
}

HttpAnswer GeoplateformeCsvSearch::Send(const QByteArray& csv, const QList<QByteArray>& columns,
                                        const QByteArray& cityCodeColumn) {
    QList<FormField> fields{{"data", csv, "adresses.csv"}};
    for (const QByteArray& column : columns) {
        fields.append({"columns", column, {}});
    }
    if (!cityCodeColumn.isEmpty()) {
        fields.append({"citycode", cityCodeColumn, {}});
    }
    int refusals = 0;
    int failures = 0;
    while (true) {
        if (!turns_.Acquire(cancel_)) {
            return {HttpAnswer::Outcome::Failed, {}};
        }
        HttpAnswer answer = BoundedPostForm(url_, userAgent_, limits_, fields, &cancel_);
        std::chrono::seconds pause{0};
        if (answer.status == 429 && ++refusals <= kMostRefusals) {
            pause = answer.retryAfter.count() > 0 ? std::min(answer.retryAfter, kLongestRetryAfter)
                                                  : kDefaultRetryAfter;
        } else if (WorthAnotherTry(answer) && ++failures <= kMostFailures) {
            pause = kFailurePause;
        } else {
            return answer;
        }
        if (!cancel_.SleepUntil(Cancellation::Clock::now() + pause)) {
            return {HttpAnswer::Outcome::Failed, {}};
        }
    }
}

} // namespace tarnel
