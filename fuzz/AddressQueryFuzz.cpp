// Fuzz target of the map service's reading of an address query (ParseAddressQuery), from a
// query value any local client can send.
//
// Checked on every input, besides no crash and no sanitizer report:
// - the parts are the comma-separated pieces of the text, trimmed, the empty ones left out, in
//   their order: joined by ", " they give WorldText();
// - no part holds a comma or starts or ends with a blank;
// - FranceText() holds the same parts but those reading "france";
// - a part reading "france" makes the region France.

#include "fuzz/FuzzSupport.h"
#include "mapservice/AddressQuery.h"

#include <QStringList>
#include <algorithm>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

bool IsFrance(const QString& part) {
    return part.compare(QLatin1String("france"), Qt::CaseInsensitive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const AddressQuery query = ParseAddressQuery(text);

    QStringList expected;
    for (const QString& piece : text.split(u',')) {
        if (!piece.trimmed().isEmpty()) {
            expected.append(piece.trimmed());
        }
    }
    Require(query.parts == expected, "the parts are the trimmed, non-empty pieces", Shown(text));
    for (const QString& part : query.parts) {
        Require(!part.contains(u',') && part == part.trimmed(), "a part is one trimmed piece",
                Shown(part));
    }
    Require(query.WorldText() == query.parts.join(QStringLiteral(", ")),
            "WorldText joins the parts", Shown(query.WorldText()));
    QStringList withoutFrance = query.parts;
    withoutFrance.removeIf(IsFrance);
    Require(query.FranceText() == withoutFrance.join(QStringLiteral(", ")),
            "FranceText leaves the country out", Shown(query.FranceText()));
    if (std::any_of(query.parts.cbegin(), query.parts.cend(), IsFrance)) {
        Require(query.region == AddressQuery::Region::France, "France named is France",
                Shown(text));
    }
    return 0;
}
