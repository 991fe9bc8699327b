// Fuzz target of the reader of Nominatim's jsonv2 answers (NominatimGeocoder::ReadAnswer), bytes
// that come from the network, weighed against addresses typed with and without a country, and
// of the request's parameters built from the input read as an address.
//
// Checked on every input, besides no crash and no sanitizer report: a place found lies on
// Earth; an answer that finds none carries no place; the same bytes read the same; the
// parameters name the format first and never hold a raw blank, "&" of a value or "#".

#include "fuzz/GeocoderAnswerFuzz.h"
#include "geocoding/NominatimGeocoder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QString& typed : {QStringLiteral("Berlin"), QStringLiteral("Graz, Autriche"),
                                 QStringLiteral("Rue X, Paris, FRANCE, 75001")}) {
        const tarnel::AddressQuery query = tarnel::ParseAddressQuery(typed);
        tarnel::fuzz::CheckAnswerReader(
            [&query](const QByteArray& json) {
                return tarnel::NominatimGeocoder::ReadAnswer(json, query);
            },
            bytes);
    }
    const QByteArray parameters =
        tarnel::NominatimGeocoder::Parameters(tarnel::ParseAddressQuery(QString::fromUtf8(bytes)));
    tarnel::fuzz::Require(parameters.isEmpty() ||
                              (parameters.startsWith("format=jsonv2&") &&
                               !parameters.contains(' ') && !parameters.contains('#')),
                          "the parameters are encoded", QString::fromLatin1(parameters));
    return 0;
}
