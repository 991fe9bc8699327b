// Fuzz target of the reader of the Géoplateforme's GeoCodeJSON answers
// (GeoplateformeGeocoder::ReadAnswer), bytes that come from the network, weighed against
// addresses typed, and of the text the service is sent (GeoplateformeGeocoder::QueryText).
//
// Checked on every input, besides no crash and no sanitizer report, for a few addresses typed
// and for the input itself read as one: a place found lies on Earth; an answer that finds none
// carries no place; the same bytes read the same; the other places listed are at most
// kMostOthers and lie on Earth; the text sent is empty or 3 to 200 characters starting with a
// Latin letter or digit.

#include "fuzz/GeocoderAnswerFuzz.h"
#include "geocoding/GeoplateformeGeocoder.h"

#include <cstdint>

using tarnel::AddressQuery;
using tarnel::GeocodeResult;
using tarnel::GeoplateformeGeocoder;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

void CheckOthers(const GeocodeResult& result) {
    Require(result.others.size() <= GeoplateformeGeocoder::kMostOthers, "few other places");
    for (const tarnel::Candidate& other : result.others) {
        Require(tarnel::IsValidPlace(other.place), "another place lies on Earth");
    }
}

bool AcceptedFirst(QChar c) {
    const QChar base = c.decompositionTag() == QChar::Canonical ? c.decomposition().front() : c;
    return base.unicode() < 0x80 && base.isLetterOrNumber();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString asText = QString::fromUtf8(bytes);
    for (const QString& typed : {QStringLiteral("8 bd du port"), QStringLiteral("Paris, 75018"),
                                 QStringLiteral("18 rue Duhesme, Paris, FRANCE, 75018"),
                                 QStringLiteral(", , FRANCE, 97133"), asText}) {
        const AddressQuery query = tarnel::ParseAddressQuery(typed);
        const auto read = [&query](const QByteArray& json) {
            return GeoplateformeGeocoder::ReadAnswer(json, query);
        };
        tarnel::fuzz::CheckAnswerReader(read, bytes);
        CheckOthers(read(bytes));
    }

    const QString sent = GeoplateformeGeocoder::QueryText(tarnel::ParseAddressQuery(asText));
    Require(sent.isEmpty() || (sent.size() >= GeoplateformeGeocoder::kShortestQuery &&
                               sent.size() <= GeoplateformeGeocoder::kLongestQuery &&
                               AcceptedFirst(sent.front())),
            "the text sent is one the service accepts", Shown(sent));
    return 0;
}
