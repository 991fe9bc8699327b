// Fuzz target of the coordinate extraction (ExtractCoordinates).
//
// Checked on every input, besides no crash and no sanitizer report:
// - when a pair comes out, both texts are exactly 12 characters and both read as numbers other
//   than 0, within range;
// - the result equals, text for text, that of a straightforward reference written below from
//   the rules: the whole page through windows-1252 and lower-cased as one text, indexOf for the
//   markers, mid/left/right for the cut. Core finds the marker in the bytes without copying the
//   page; the two must never disagree;
// - upper-casing the ASCII letters of the page changes nothing (the markers are found without
//   regard to case and the cut is lower-cased).

#include "core/Geocoding.h"
#include "core/NumberRules.h"
#include "fuzz/FuzzSupport.h"

#include <cmath>
#include <cstdint>
#include <optional>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

std::optional<ExtractedCoordinates> Reference(QByteArrayView bytes) {
    const QString page = FromWindows1252(bytes).toLower();
    const qsizetype marker = page.indexOf(QStringLiteral(":{lat:"));
    if (marker < 0) {
        return std::nullopt;
    }
    const qsizetype start = marker + 2; // the "l" of "lat"
    const qsizetype end = page.indexOf(QStringLiteral("},"), start);
    const qsizetype distance = end - start;
    if (end < 0 || distance <= 20 || distance >= 200) {
        return std::nullopt;
    }
    // Everything from after "lat:" up to the end marker: the longitude keeps its last digits.
    const QString cut = page.mid(start + 4, distance - 4);
    const qsizetype comma = cut.indexOf(u',');
    if (comma < 0) {
        return std::nullopt;
    }
    // After the comma, four characters ("lng:") are skipped.
    const qsizetype longitudeLength = cut.size() - comma - 1 - 4;
    if (longitudeLength < 0) {
        return std::nullopt;
    }
    const QString zeros(12, u'0');
    ExtractedCoordinates pair{(cut.left(comma) + zeros).left(12),
                              (cut.right(longitudeLength) + zeros).left(12)};
    try {
        if (std::abs(ReadNumber(pair.latitude)) > 0.0 &&
            std::abs(ReadNumber(pair.longitude)) > 0.0) {
            return pair;
        }
    } catch (const NumericRangeError&) {
        // A number that cannot be represented ends in "not found".
    }
    return std::nullopt;
}

bool Same(const std::optional<ExtractedCoordinates>& a,
          const std::optional<ExtractedCoordinates>& b) {
    if (!a || !b) {
        return !a && !b;
    }
    return a->latitude == b->latitude && a->longitude == b->longitude;
}

QString Shown(const std::optional<ExtractedCoordinates>& pair) {
    return pair ? Shown(pair->latitude) + u' ' + Shown(pair->longitude) : QStringLiteral("nothing");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView page(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<ExtractedCoordinates> found = ExtractCoordinates(page);

    if (found) {
        Require(found->latitude.size() == 12 && found->longitude.size() == 12,
                "both texts are 12 characters", Shown(found));
        Require(ReadNumber(found->latitude) != 0.0 && ReadNumber(found->longitude) != 0.0,
                "both texts read as numbers other than 0", Shown(found));
    }
    const std::optional<ExtractedCoordinates> expected = Reference(page);
    Require(Same(found, expected), "the extraction agrees with the reference",
            Shown(found) + QStringLiteral(" against ") + Shown(expected));

    QByteArray upper = page.toByteArray();
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
        }
    }
    Require(Same(found, ExtractCoordinates(upper)), "letter case changes nothing",
            Shown(found) + QStringLiteral(" against ") + Shown(ExtractCoordinates(upper)));
    return 0;
}
