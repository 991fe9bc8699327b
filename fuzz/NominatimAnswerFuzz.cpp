// Fuzz target of the reader of Nominatim's jsonv2 answers (NominatimGeocoder::ReadAnswer),
// bytes that come from the network.
//
// Checked on every input, besides no crash and no sanitizer report: a place found lies on
// Earth; an answer that finds none carries no place; the same bytes read the same.

#include "fuzz/GeocoderAnswerFuzz.h"
#include "mapservice/NominatimGeocoder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnel::fuzz::CheckAnswerReader(
        &tarnel::NominatimGeocoder::ReadAnswer,
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
