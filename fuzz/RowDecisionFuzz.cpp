// Fuzz target of how one row of a file of addresses is read (ReadRowAddress) and how the CSV
// geocoding's answer for it is weighed (DecideCsvRow): the row's six cells and the answer both
// come from the input.
//
// Checked on every input, besides no crash and no sanitizer report:
// - a row with an address part longer than kLongestPart is a bad row;
// - a bad row is not also a row with nothing to ask;
// - a row of the answer is taken only when the service found it ("ok") with both coordinates,
//   and then as found, with those coordinates, a precision of "numéro", "rue" or "commune"
//   and the French address base as its source;
// - nothing is taken for a row with neither town nor postal code typed.

#include "addressfile/GeocodeCsvAnswer.h"
#include "addressfile/RowAddress.h"
#include "addressfile/RowDecision.h"
#include "fuzz/FuzzSupport.h"

using namespace tarnel;
using tarnel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Row row;
    bool tooLong = false;
    for (int i = 0; i < 6; ++i) {
        row.append({fuzz::ConsumeText(input), Cell::Kind::Text});
        tooLong = tooLong || row.back().text.trimmed().size() > kLongestPart;
    }
    const AddressColumns columns{0, 1, -1, 2, 3, 4, -1, input.ConsumeBool() ? 5 : -1};
    const RowAddress address = ReadRowAddress(row, columns);
    Require(!tooLong || !address.badRow.isEmpty(), "a huge part makes a bad row");
    Require(address.badRow.isEmpty() || address.nothingToAsk.isEmpty(), "a bad row is told once");

    const std::string rest = input.ConsumeRemainingBytesAsString();
    const GeocodeCsvAnswer answer =
        ReadGeocodeCsvAnswer(QByteArray(rest.data(), qsizetype(rest.size())), QStringLiteral("id"),
                             {QStringLiteral("1"), QStringLiteral("2")});
    for (const GeocodedRow& geocoded : answer.rows) {
        const std::optional<RowOutcome> outcome = DecideCsvRow(geocoded, address.typed);
        if (!outcome) {
            continue;
        }
        Require(geocoded.status == u"ok"_qs, "only a row found is taken", geocoded.status);
        Require(outcome->status == RowStatus::Found && outcome->latitude == geocoded.latitude &&
                    outcome->longitude == geocoded.longitude && outcome->latitude &&
                    outcome->longitude,
                "a row taken is found with the answer's coordinates");
        Require(QStringList{u"numéro"_qs, u"rue"_qs, u"commune"_qs}.contains(outcome->precision),
                "a precision in French", outcome->precision);
        Require(outcome->source == FrenchSourceName(), "the French base is the source");
        Require(!address.typed.town.isEmpty() || !address.typed.postcode.isEmpty(),
                "no place taken without a town or a postal code");
    }
    return 0;
}
