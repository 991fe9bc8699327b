#include "geocoding/AltitudeBatch.h"

#include "geocoding/FranceExtents.h"
#include "geocoding/RetryBudget.h"
#include "geocoding/ReverseGeocoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <utility>

namespace tarnel {

namespace {

// A Retry-After beyond this ends the request as refused: the batch pauses rather than hang.
constexpr std::chrono::seconds kLongestRetryAfter{60};
// The program's turns refuse a wait beyond a few seconds: the batch waits for them this long.
constexpr int kMostTurnWaits = 120;
constexpr std::chrono::milliseconds kTurnWait{500};

QByteArray Joined(const QList<QByteArray>& values) {
    QByteArray joined;
    for (const QByteArray& value : values) {
        if (!joined.isEmpty()) {
            joined += '|';
        }
        joined += value;
    }
    return joined;
}

} // namespace

HttpLimits AltitudeBatch::Limits() {
    return {std::chrono::seconds(10), std::chrono::minutes(2), qsizetype{4} << 20};
}

AltitudeBatch::AltitudeBatch(QString elevationUrl, QByteArray userAgent, HttpLimits limits,
                             std::shared_ptr<RateLimiter> turns)
    : url_(elevationUrl.toUtf8())
    , userAgent_(std::move(userAgent))
    , limits_(limits)
    , turns_(std::move(turns)) {
}

PointsAltitudes AltitudeBatch::Ask(const QList<Place>& points) {
    PointsAltitudes altitudes{HttpAnswer::Outcome::Body, {}};
    altitudes.metres.resize(points.size());
    QList<qsizetype> sent;
    QList<QByteArray> longitudes;
    QList<QByteArray> latitudes;
    for (qsizetype i = 0; i < points.size(); ++i) {
        if (InFranceExtents(points[i])) {
            sent.append(i);
            longitudes.append(DecimalParameter(points[i].longitude));
            latitudes.append(DecimalParameter(points[i].latitude));
        }
    }
    if (sent.isEmpty()) {
        return altitudes;
    }
    const QJsonObject request{
        {u"lon"_qs, QString::fromLatin1(Joined(longitudes))},
        {u"lat"_qs, QString::fromLatin1(Joined(latitudes))},
        {u"resource"_qs, u"ign_rge_alti_wld"_qs},
        {u"delimiter"_qs, u"|"_qs},
        {u"indent"_qs, u"false"_qs},
        {u"measures"_qs, u"false"_qs},
        {u"zonly"_qs, u"true"_qs},
    };
    const HttpAnswer answer = Send(QJsonDocument(request).toJson(QJsonDocument::Compact));
    if (answer.outcome != HttpAnswer::Outcome::Body) {
        return {answer.outcome, {}};
    }
    const std::optional<QList<std::optional<double>>> read = ReadAnswer(answer.body, sent.size());
    if (!read) {
        return {HttpAnswer::Outcome::Failed, {}};
    }
    for (qsizetype i = 0; i < sent.size(); ++i) {
        altitudes.metres[sent[i]] = (*read)[i];
    }
    return altitudes;
}

HttpAnswer AltitudeBatch::Send(const QByteArray& json) {
    RetryBudget retries;
    int turnWaits = 0;
    while (true) {
        if (!turns_->Acquire(cancel_)) {
            // Another lookup's 429 holds the turns back: wait for them, within bounds.
            if (cancel_.Cancelled() || ++turnWaits > kMostTurnWaits) {
                return {HttpAnswer::Outcome::Refused, {}};
            }
            if (!cancel_.SleepUntil(Cancellation::Clock::now() + kTurnWait)) {
                return {HttpAnswer::Outcome::Failed, {}};
            }
            continue;
        }
        HttpAnswer answer = BoundedPostJson(url_, userAgent_, limits_, json, &cancel_);
        if (answer.status == 429) {
            turns_->HoldUntil(RateLimiter::Clock::now() + RetryBudget::HoldAsked(answer));
        }
        const std::optional<std::chrono::seconds> pause = retries.PauseAfter(answer);
        if (!pause || *pause > kLongestRetryAfter) {
            return answer;
        }
        if (!cancel_.SleepUntil(Cancellation::Clock::now() + *pause)) {
            return {HttpAnswer::Outcome::Failed, {}};
        }
    }
}

std::optional<QList<std::optional<double>>> AltitudeBatch::ReadAnswer(const QByteArray& json,
                                                                      qsizetype count) {
    const QJsonArray elevations =
        QJsonDocument::fromJson(json).object().value(QLatin1String("elevations")).toArray();
    if (elevations.size() != count) {
        return std::nullopt;
    }
    QList<std::optional<double>> metres;
    metres.reserve(count);
    for (const QJsonValue& elevation : elevations) {
        const PointAltitude altitude = AltitudeOfElevation(elevation);
        if (altitude.outcome == GeocodeResult::Outcome::Failed) {
            return std::nullopt;
        }
        metres.append(altitude.outcome == GeocodeResult::Outcome::Found
                          ? std::optional<double>(altitude.metres)
                          : std::nullopt);
    }
    return metres;
}

} // namespace tarnel
