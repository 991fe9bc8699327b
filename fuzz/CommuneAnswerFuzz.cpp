// Fuzz target of the reader of geo.api.gouv.fr's answers about the commune of a point
// (CommuneService::ReadAnswer) and of the panel's sentence made of it (CommuneJson): bytes that
// come from the network.
//
// Checked on every input, besides no crash and no sanitizer report: reading finds, finds none
// or fails; a commune found has a name and a five-character code; none comes with an answer
// that found none; the panel's answer is a JSON object with a status; the same bytes read the
// same.

#include "fuzz/FuzzSupport.h"
#include "geocoding/CommuneService.h"
#include "mapservice/PointFactJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tarnel::GeocodeResult;
    using tarnel::fuzz::Require;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const tarnel::PointCommune commune = tarnel::CommuneService::ReadAnswer(bytes);
    const QStringList parts{commune.name, commune.code, commune.departmentName,
                            commune.departmentCode, commune.postcodes.join(u',')};
    if (commune.outcome == GeocodeResult::Outcome::Found) {
        Require(!commune.name.isEmpty() && commune.code.size() == 5,
                "a commune found has a name and its code", parts.join(u'|'));
    } else {
        Require(commune.outcome == GeocodeResult::Outcome::NoMatch ||
                    commune.outcome == GeocodeResult::Outcome::Failed,
                "reading an answer finds, finds none or fails");
        Require(parts.join(QString()).isEmpty(), "no commune comes with an answer that found none");
    }
    const tarnel::PointCommune again = tarnel::CommuneService::ReadAnswer(bytes);
    Require(again.outcome == commune.outcome &&
                QStringList{again.name, again.code, again.departmentName, again.departmentCode,
                            again.postcodes.join(u',')} == parts,
            "the same answer reads the same");
    const QJsonObject json = QJsonDocument::fromJson(tarnel::CommuneJson(commune)).object();
    Require(!json.value(QLatin1String("status")).toString().isEmpty() &&
                !json.value(QLatin1String("message")).toString().isEmpty(),
            "the panel is told a status and a sentence");
    return 0;
}
