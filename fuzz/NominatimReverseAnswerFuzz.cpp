// Fuzz target of the reader of Nominatim's jsonv2 reverse answers
// (NominatimReverseGeocoder::ReadAnswer), bytes that come from the network.
//
// Checked on every input, besides no crash and no sanitizer report: an address found lies on
// Earth; an answer that finds none carries no part of an address; the same bytes read the same.

#include "fuzz/ReverseAnswerFuzz.h"
#include "geocoding/NominatimReverseGeocoder.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnel::fuzz::CheckReverseReader(
        &tarnel::NominatimReverseGeocoder::ReadAnswer,
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
