#include "core/Geocoding.h"

#include "core/MapQuery.h"
#include "core/NumberRules.h"
#include "core/Windows1252.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tarnel {

namespace {

constexpr QByteArrayView kStartMarker = ":{lat:";
constexpr QByteArrayView kEndMarker = "},";
constexpr qsizetype kMinDistanceExcluded = 20;
constexpr qsizetype kMaxDistanceExcluded = 200;
constexpr qsizetype kCoordinateWidth = 12;

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// The bytes of `word` that are zero get their high bit set, the others none. Exact: no carry
// crosses from one byte into the next.
std::uint64_t ZeroBytes(std::uint64_t word) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((word & kLow7) + kLow7) | word | kLow7);
}

std::uint64_t WordAt(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

bool MarkerAt(const char* at) {
    for (qsizetype i = 0; i < kStartMarker.size(); ++i) {
        if (AsciiLower(at[i]) != kStartMarker[i]) {
            return false;
        }
    }
    return true;
}

// Position of the first start marker, letters compared without case, or -1. The page is not
// copied. Its first two bytes ":{" have no case, so eight positions at a time are tested for a
// colon followed by a brace, a word-wide compare; script-heavy pages hold colons every few
// bytes but that pair far more rarely, and only there are the bytes compared one by one.
qsizetype FindStartMarker(QByteArrayView page) {
    if (page.size() < kStartMarker.size()) {
        return -1;
    }
    constexpr std::uint64_t kColons = 0x3A3A3A3A3A3A3A3Aull;
    constexpr std::uint64_t kBraces = 0x7B7B7B7B7B7B7B7Bull;
    const char* const begin = page.data();
    const char* const last = begin + page.size() - kStartMarker.size(); // last possible start
    const char* at = begin;
    // Both words, at `at` and one byte further, and every marker starting among the eight
    // positions lie within the page while at + 8 <= last.
    for (; at + 8 <= last; at += 8) {
        if ((ZeroBytes(WordAt(at) ^ kColons) & ZeroBytes(WordAt(at + 1) ^ kBraces)) != 0) {
            for (const char* candidate = at; candidate < at + 8; ++candidate) {
                if (MarkerAt(candidate)) {
                    return candidate - begin;
                }
            }
        }
    }
    for (; at <= last; ++at) {
        if (MarkerAt(at)) {
            return at - begin;
        }
    }
    return -1;
}

QString FieldOfWidth(const QString& source) {
    return (source + QString(kCoordinateWidth, u'0')).left(kCoordinateWidth);
}

} // namespace

bool MissingData(const QString& state, const QString& zipCode) {
    return TrimBlanks(state).isEmpty() || TrimBlanks(zipCode).isEmpty();
}

QString GeocodingRequestUrl(const QString& baseUrl, const QString& street, const QString& city,
                            const QString& state, const QString& zipCode) {
    const QString separator = QStringLiteral(",+");
    QString url = baseUrl + QueryValueText(TrimBlanks(street)) + separator +
                  QueryValueText(TrimBlanks(city)) + separator + QueryValueText(TrimBlanks(state)) +
                  separator + QueryValueText(TrimBlanks(zipCode));
    return url.replace(u' ', u'+');
}

std::optional<ExtractedCoordinates> ExtractCoordinates(QByteArrayView page) {
    const qsizetype marker = FindStartMarker(page);
    if (marker < 0) {
        return std::nullopt;
    }
    // From the "l" of "lat"; the end marker has no letters, so its case does not matter.
    const qsizetype start = marker + 2;
    const QByteArrayView window =
        page.sliced(start, std::min(page.size() - start, kMaxDistanceExcluded + 1));
    const qsizetype distance = window.indexOf(kEndMarker);
    if (distance <= kMinDistanceExcluded || distance >= kMaxDistanceExcluded) {
        return std::nullopt;
    }
    // Every character between "lat:" and "},".
    const QString cut = FromWindows1252(window.sliced(4, distance - 4)).toLower();
    const qsizetype comma = cut.indexOf(u',');
    if (comma < 0) {
        return std::nullopt;
    }
    const qsizetype longitudeLength = cut.size() - (comma + 1) - 4;
    if (longitudeLength < 0) {
        return std::nullopt;
    }
    ExtractedCoordinates result{FieldOfWidth(cut.left(comma)),
                                FieldOfWidth(cut.right(longitudeLength))};
    try {
        if (ReadNumber(result.latitude) == 0.0 || ReadNumber(result.longitude) == 0.0) {
            return std::nullopt;
        }
    } catch (const NumericRangeError&) {
        return std::nullopt;
    }
    return result;
}

} // namespace tarnel
