// Fuzz target of the reader of the Géoplateforme's reverse answers
// (GeoplateformeReverseGeocoder::ReadAnswer), bytes that come from the network.
//
// Checked on every input, besides no crash and no sanitizer report: an address found lies on
// Earth and is in France; an answer that finds none carries no part of an address; the same
// bytes read the same.

#include "fuzz/ReverseAnswerFuzz.h"
#include "geocoding/GeoplateformeReverseGeocoder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tarnel::GeoplateformeReverseGeocoder;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    tarnel::fuzz::CheckReverseReader(&GeoplateformeReverseGeocoder::ReadAnswer, bytes);
    const tarnel::NearestAddress address = GeoplateformeReverseGeocoder::ReadAnswer(bytes);
    tarnel::fuzz::Require(address.outcome != tarnel::GeocodeResult::Outcome::Found ||
                              address.country == QLatin1String("France"),
                          "the national base's addresses are in France");
    return 0;
}
