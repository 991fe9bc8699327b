#include "geocoding/GeoplateformeCsvSearch.h"

#include "geocoding/RetryBudget.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace tarnel {

namespace {

constexpr std::chrono::milliseconds kRequestInterval{20};
constexpr std::chrono::milliseconds kLongestQueue{60000};
// A Retry-After longer than the documented 5-second block is taken up to a minute.
constexpr std::chrono::seconds kLongestRetryAfter{60};

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
    RetryBudget retries;
    while (true) {
        if (!turns_.Acquire(cancel_)) {
            return {HttpAnswer::Outcome::Failed, {}};
        }
        HttpAnswer answer = BoundedPostForm(url_, userAgent_, limits_, fields, &cancel_);
        const std::optional<std::chrono::seconds> pause = retries.PauseAfter(answer);
        if (!pause) {
            return answer;
        }
        if (!cancel_.SleepUntil(Cancellation::Clock::now() +
                                std::min(*pause, kLongestRetryAfter))) {
            return {HttpAnswer::Outcome::Failed, {}};
        }
    }
}

} // namespace tarnel
