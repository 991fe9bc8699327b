// Fuzz target of the reader of the Géoplateforme's GeoCodeJSON answers
// (GeoplateformeGeocoder::ReadAnswer), bytes that come from the network, and of the cleaning of
// the text the service is sent (GeoplateformeGeocoder::QueryText).
//
// Checked on every input, besides no crash and no sanitizer report: a place found lies on
// Earth; an answer that finds none carries no place; the same bytes read the same, with and
// without postal codes to agree with (those the bytes themselves hold, so that matching ones
// occur); a postal code to agree with never turns a refusal into a find; the text sent is empty
// or 3 to 200 characters starting with a letter or digit.

#include "fuzz/GeocoderAnswerFuzz.h"
#include "mapservice/GeoplateformeGeocoder.h"

#include <cstdint>

using tarnel::GeocodeResult;
using tarnel::GeoplateformeGeocoder;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList codes = GeoplateformeGeocoder::PostalCodes(QString::fromUtf8(bytes));
    const auto anyCode = [](const QByteArray& json) {
        return GeoplateformeGeocoder::ReadAnswer(json, {});
    };
    const auto theseCodes = [&codes](const QByteArray& json) {
        return GeoplateformeGeocoder::ReadAnswer(json, codes);
    };
    tarnel::fuzz::CheckAnswerReader(anyCode, bytes);
    tarnel::fuzz::CheckAnswerReader(theseCodes, bytes);
    tarnel::fuzz::Require(theseCodes(bytes).outcome != GeocodeResult::Outcome::Found ||
                              anyCode(bytes).outcome == GeocodeResult::Outcome::Found,
                          "a postal code to agree with never makes a find");

    const QString sent = GeoplateformeGeocoder::QueryText(QString::fromUtf8(bytes));
    tarnel::fuzz::Require(sent.isEmpty() || (sent.size() >= GeoplateformeGeocoder::kShortestQuery &&
                                             sent.size() <= GeoplateformeGeocoder::kLongestQuery &&
                                             sent.front().isLetterOrNumber()),
                          "the text sent is one the service accepts", sent);
    return 0;
}
