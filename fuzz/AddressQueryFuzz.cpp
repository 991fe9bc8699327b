// Fuzz target of the map service's reading of an address query (ParseAddressQuery), from a
// query value any local client can send.
//
// Checked on every input, besides no crash and no sanitizer report:
// - a query without a problem is read back from its Text() into the same parts, which is what
//   the geocoders do with it;
// - a query without a problem holds a street, a town, a code or a country;
// - a French postal code kept for comparison is five digits with its département;
// - France's region comes with a French country code, and a postal code to compare only with
//   France's regions.

#include "fuzz/FuzzSupport.h"
#include "geocoding/AddressQuery.h"
#include "geocoding/CountryNames.h"

#include <QStringList>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

QStringList Parts(const AddressQuery& query) {
    return {query.street,      query.town,     query.country,
            query.countryCode, query.postcode, query.departement};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const AddressQuery query = ParseAddressQuery(text);
    if (!query.problem.isEmpty()) {
        return 0;
    }
    Require(!query.IsBare() || !query.country.isEmpty(), "something to look up", Shown(text));
    const AddressQuery again = ParseAddressQuery(query.Text());
    Require(again.problem.isEmpty() && Parts(again) == Parts(query) && again.region == query.region,
            "the parts read back the same",
            Shown(text) + QStringLiteral(" -> ") + Shown(query.Text()));
    if (!query.postcode.isEmpty()) {
        Require(query.postcode.size() == 5 && !query.departement.isEmpty(),
                "a postal code compared is five digits with its département", Shown(text));
    }
    if (query.region == AddressQuery::Region::France) {
        Require(IsFrenchCode(query.countryCode), "France is France", Shown(text));
    }
    if (query.region == AddressQuery::Region::World) {
        Require(query.postcode.isEmpty(), "no French code elsewhere", Shown(text));
    }
    return 0;
}
