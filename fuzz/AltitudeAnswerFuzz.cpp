// Fuzz target of the readers of the Géoplateforme altimetry service's answers
// (AltitudeService::ReadAnswer for one point, AltitudeBatch::ReadAnswer for many), of the panel's
// sentence made of it (AltitudeJson) and of the address window's reader of the map service's
// altitude answers (AltitudeOfAnswer): bytes that come from the network.
//
// Checked on every input, besides no crash and no sanitizer report: reading finds, finds none
// or fails; an altitude found is one some ground has (never the "no data" -99999); none comes
// with an answer that found none; the panel's answer is a JSON object with a status, and the
// address window reads back from it the altitude found, to the centimetre; the same bytes read
// the same; the window reads a finite altitude or none; the reader of many points gives as
// many altitudes as asked or none, each one some ground has, and for one point agrees with the
// reader of one.

#include "core/AltitudeQuery.h"
#include "fuzz/FuzzSupport.h"
#include "geocoding/AltitudeBatch.h"
#include "geocoding/AltitudeService.h"
#include "mapservice/PointFactJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tarnel::GeocodeResult;
    using tarnel::fuzz::Require;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const tarnel::PointAltitude altitude = tarnel::AltitudeService::ReadAnswer(bytes);
    if (altitude.outcome == GeocodeResult::Outcome::Found) {
        Require(std::isfinite(altitude.metres) && altitude.metres >= -500 &&
                    altitude.metres <= 9000,
                "an altitude found is one some ground has", QString::number(altitude.metres));
    } else {
        Require(altitude.outcome == GeocodeResult::Outcome::NoMatch ||
                    altitude.outcome == GeocodeResult::Outcome::Failed,
                "reading an answer finds, finds none or fails");
        Require(altitude.metres == 0, "no altitude comes with an answer that found none");
    }
    for (const qsizetype count : {1, 2, 3}) {
        const auto many = tarnel::AltitudeBatch::ReadAnswer(bytes, count);
        Require(!many || many->size() == count, "as many altitudes as points asked, or none");
        for (const std::optional<double>& metres : many.value_or(QList<std::optional<double>>{})) {
            Require(!metres || (std::isfinite(*metres) && *metres >= -500 && *metres <= 9000),
                    "an altitude of many is one some ground has");
        }
        if (count == 1 && many) {
            Require(many->front().has_value() ==
                            (altitude.outcome == GeocodeResult::Outcome::Found) &&
                        many->front().value_or(0) == altitude.metres,
                    "one point read alike by both readers");
        }
    }
    const tarnel::PointAltitude again = tarnel::AltitudeService::ReadAnswer(bytes);
    Require(again.outcome == altitude.outcome && again.metres == altitude.metres,
            "the same answer reads the same");
    const QByteArray panel = tarnel::AltitudeJson(altitude);
    const std::optional<double> told = tarnel::AltitudeOfAnswer(panel);
    Require(told.has_value() == (altitude.outcome == GeocodeResult::Outcome::Found) &&
                (!told || std::abs(*told - altitude.metres) <= 0.005),
            "the window reads back the altitude found");
    const std::optional<double> window = tarnel::AltitudeOfAnswer(bytes);
    Require(!window || std::isfinite(*window), "the window reads a finite altitude or none");
    const QJsonObject json = QJsonDocument::fromJson(panel).object();
    Require(!json.value(QLatin1String("status")).toString().isEmpty() &&
                !json.value(QLatin1String("message")).toString().isEmpty(),
            "the panel is told a status and a sentence");
    return 0;
}
