#include "core/Geocoding.h"

#include "core/NumberRules.h"
#include "core/Windows1252.h"

#include <algorithm>
#include <cstring>

namespace tarnel {

namespace {

constexpr QByteArrayView kStartMarker = ":{lat:";
constexpr QByteArrayView kEndMarker = "},";
constexpr qsizetype kMinDistanceExcluded = 20;
constexpr qsizetype kMaxDistanceExcluded = 200;
constexpr qsizetype kCoordinateWidth = 12;
constexpr qsizetype kShortScan = 16;

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Position of the first start marker, letters compared without case, or -1. The page is not
// copied: each colon is found in place, and only there are the following bytes compared.
qsizetype FindStartMarker(QByteArrayView page) {
    if (page.size() < kStartMarker.size()) {
        return -1;
    }
    const char* const begin = page.data();
    const char* const last = begin + page.size() - kStartMarker.size();
    const char* at = begin;
    while (at <= last) {
        // Script-heavy pages hold colons close together: a short scan in place finds those
        // without a library call per colon, memchr crosses the long stretches without any.
        const char* const probeEnd = std::min(at + kShortScan, last + 1);
        while (at < probeEnd && *at != ':') {
            ++at;
        }
        if (at == probeEnd) {
            at = static_cast<const char*>(std::memchr(at, ':', std::size_t(last - at + 1)));
            if (at == nullptr) {
                return -1;
            }
        }
        bool match = true;
        for (qsizetype i = 1; i < kStartMarker.size() && match; ++i) {
            match = AsciiLower(at[i]) == kStartMarker[i];
        }
        if (match) {
            return at - begin;
        }
        ++at;
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
    QString url = baseUrl + TrimBlanks(street) + separator + TrimBlanks(city) + separator +
                  TrimBlanks(state) + separator + TrimBlanks(zipCode);
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
