// Fuzz target of the reader of API Carto's answers about the cadastral parcel of a point
// (ParcelService::ReadAnswer) and of the panel's sentence made of it (ParcelJson): bytes that
// come from the network.
//
// Checked on every input, besides no crash and no sanitizer report: reading finds, finds none
// or fails; a parcel found has its section and number, and an area that is none (-1) or not
// negative; none comes with an answer that found none; the panel's answer is a JSON object with
// a status; the same bytes read the same.

#include "fuzz/FuzzSupport.h"
#include "geocoding/ParcelService.h"
#include "mapservice/PointFactJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>

namespace {

QString Parts(const tarnel::CadastralParcel& parcel) {
    return QStringList{parcel.idu,    parcel.prefix,  parcel.section,
                       parcel.number, parcel.commune, QString::number(parcel.area)}
        .join(u'|');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tarnel::GeocodeResult;
    using tarnel::fuzz::Require;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const tarnel::CadastralParcel parcel = tarnel::ParcelService::ReadAnswer(bytes);
    if (parcel.outcome == GeocodeResult::Outcome::Found) {
        Require(!parcel.section.isEmpty() && !parcel.number.isEmpty() && parcel.area >= -1,
                "a parcel found has its section, number and no negative area", Parts(parcel));
    } else {
        Require(parcel.outcome == GeocodeResult::Outcome::NoMatch ||
                    parcel.outcome == GeocodeResult::Outcome::Failed,
                "reading an answer finds, finds none or fails");
        Require(Parts(parcel) == QLatin1String("|||||-1"),
                "no parcel comes with an answer that found none");
    }
    const tarnel::CadastralParcel again = tarnel::ParcelService::ReadAnswer(bytes);
    Require(again.outcome == parcel.outcome && Parts(again) == Parts(parcel),
            "the same answer reads the same");
    const QJsonObject json = QJsonDocument::fromJson(tarnel::ParcelJson(parcel)).object();
    Require(!json.value(QLatin1String("status")).toString().isEmpty() &&
                !json.value(QLatin1String("message")).toString().isEmpty(),
            "the panel is told a status and a sentence");
    return 0;
}
