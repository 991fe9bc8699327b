// Fuzz target of the reader of the Géoplateforme altimetry service's answers
// (AltitudeService::ReadAnswer), of the panel's sentence made of it (AltitudeJson) and of the
// address window's reader of the map service's altitude answers (AltitudeOfAnswer): bytes that
// come from the network.
//
// Checked on every input, besides no crash and no sanitizer report: reading finds, finds none
// or fails; an altitude found is one some ground has (never the "no data" -99999); none comes
// with an answer that found none; the panel's answer is a JSON object with a status, and the
// address window reads back from it the altitude found, to the centimetre; the same bytes read
// the same; the window reads a finite altitude or none.

#include "core/AltitudeQuery.h"
#include "fuzz/FuzzSupport.h"
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
