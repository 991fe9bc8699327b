#include "tests/addressfile/AltimetryStandin.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace tarnel::testing {

namespace {

constexpr qsizetype kMostPoints = 5000; // the documented limit of "lon" and "lat"
constexpr double kNotCovered = -99999;

} // namespace

AltimetryStandin::AltimetryStandin() {
    QFile file(QStringLiteral(POINT_FACTS_DIR "/altitude-ign-doc-zonly.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        qFatal("missing recorded answer %s", qPrintable(file.fileName()));
    }
    for (const QJsonValue& z :
         QJsonDocument::fromJson(file.readAll()).object().value(u"elevations"_qs).toArray()) {
        recorded_.append(z.toDouble());
    }
    server_.Server().Post("/altimetrie/1.0/calcul/alti/rest/elevation.json",
                          [this](const httplib::Request& request, httplib::Response& response) {
                              Answer(request, response);
                          });
}

QList<int> AltimetryStandin::PointsAsked() const {
    const std::lock_guard lock(mutex_);
    return pointsAsked_;
}

void AltimetryStandin::Answer(const httplib::Request& request, httplib::Response& response) {
    ++requests_;
    if (refuseNext_ > 0) {
        --refuseNext_;
        response.status = 429;
        response.set_header("Retry-After", std::to_string(retryAfter_.load()));
        response.set_content(R"({"code":429,"message":"Too Many Requests"})", "application/json");
        return;
    }
    const QJsonObject body =
        QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).object();
    const QString delimiter = body.value(u"delimiter"_qs).toString(u"|"_qs);
    const QStringList longitudes = body.value(u"lon"_qs).toString().split(delimiter);
    const QStringList latitudes = body.value(u"lat"_qs).toString().split(delimiter);
    if (request.get_header_value("Content-Type") != "application/json" ||
        body.value(u"resource"_qs).toString() != u"ign_rge_alti_wld"_qs ||
        body.value(u"zonly"_qs).toString() != u"true"_qs || longitudes.size() != latitudes.size() ||
        longitudes.size() > kMostPoints) {
        response.status = 400;
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        pointsAsked_.append(static_cast<int>(longitudes.size()));
    }
    QJsonArray elevations;
    for (qsizetype i = 0; i < latitudes.size(); ++i) {
        const bool uncovered = std::abs(latitudes[i].toDouble() - uncovered_) < 5e-7;
        elevations.append(uncovered ? kNotCovered : recorded_[i % recorded_.size()]);
    }
    response.set_content(
        QJsonDocument(QJsonObject{{u"elevations"_qs, elevations}}).toJson().toStdString(),
        "application/json");
}

} // namespace tarnel::testing
