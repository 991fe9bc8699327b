// Fuzz target of the number rules (ReadNumber, NumberText).
//
// Checked on every input, besides no crash and no sanitizer report:
// - ReadNumber of any text throws nothing but NumericRangeError, and what it returns is finite;
// - blanks, tabs and line feeds put anywhere in the text (between characters, before, after)
//   change nothing: the same value, sign of zero included, or the same NumericRangeError;
// - for any finite single-precision value f, NumberText(f) starts with "-" exactly when f is
//   below 0 (a blank otherwise), holds at most 7 significant digits, and takes the exponent form
//   exactly when f rounded to 7 significant digits is 1E+07 or more in magnitude;
// - ToSingle(ReadNumber(NumberText(f))) is f rounded to 7 significant digits, the decimal
//   rounding read back to single precision as strtod and a float conversion do it. When that
//   rounding leaves the single-precision range (f within half a unit of the 7th digit below the
//   largest float), ToSingle throws NumericRangeError.

#include "core/NumberRules.h"
#include "fuzz/FuzzSupport.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

std::optional<double> Read(QStringView text) {
    try {
        return ReadNumber(text);
    } catch (const NumericRangeError&) {
        return std::nullopt;
    }
}

bool SameOutcome(const std::optional<double>& a, const std::optional<double>& b) {
    if (!a || !b) {
        return !a && !b;
    }
    return std::bit_cast<std::uint64_t>(*a) == std::bit_cast<std::uint64_t>(*b);
}

// `text` with a blank, tab or line feed after the characters the pattern's bits pick.
QString Spaced(const QString& text, std::uint64_t pattern) {
    static constexpr char16_t kIgnored[] = {u' ', u'\t', u'\n'};
    QString spaced = (pattern & 1) ? QStringLiteral(" \t") : QString();
    for (qsizetype i = 0; i < text.size(); ++i) {
        spaced += text[i];
        if ((pattern >> (i % 64)) & 1) {
            spaced += QChar(kIgnored[(i + (pattern >> 60)) % 3]);
        }
    }
    return spaced;
}

// f rounded to 7 significant digits, in double precision.
double SevenDigitRounding(float f) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6e", double(f));
    return std::strtod(text, nullptr);
}

// f rounded to 7 significant digits and read back to single precision; nothing when that
// value lies beyond the single-precision range.
std::optional<float> RoundedToSevenDigits(float f) {
    const double rounded = SevenDigitRounding(f);
    constexpr double kOverflowAt = 0x1.ffffffp127; // from here on a float conversion is infinite
    if (std::abs(rounded) >= kOverflowAt) {
        return std::nullopt;
    }
    return float(rounded);
}

int SignificantDigits(const QString& text) {
    int digits = 0;
    bool leading = true;
    for (const QChar c : text) {
        if (c == u'E') {
            break;
        }
        if (c.isDigit() && !(leading && c == u'0')) {
            leading = false;
            ++digits;
        }
    }
    return digits;
}

void CheckRoundTrip(float f, const QString& text, const char* writer) {
    const std::optional<float> expected = RoundedToSevenDigits(f);
    std::optional<float> readBack;
    try {
        readBack = ToSingle(ReadNumber(text));
    } catch (const NumericRangeError&) {
        readBack = std::nullopt;
    }
    const bool same = expected ? (readBack && *readBack == *expected) : !readBack;
    Require(
        same, writer,
        QStringLiteral("f=%1 text=%2 read back=%3 expected=%4")
            .arg(double(f), 0, 'g', 9)
            .arg(Shown(text))
            .arg(readBack ? QString::number(double(*readBack), 'g', 9) : QStringLiteral("range"))
            .arg(expected ? QString::number(double(*expected), 'g', 9) : QStringLiteral("range")));
}

std::uint64_t Hash(const std::uint8_t* data, std::size_t size) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (std::size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 0x100000001b3u;
    }
    return hash;
}

void CheckWriting(float f) {
    if (!std::isfinite(f)) {
        return;
    }
    const QString written = NumberText(f);
    Require(written.startsWith(f < 0.0f ? u'-' : u' '), "NumberText starts with its sign",
            Shown(written));
    Require(SignificantDigits(written) <= 7, "NumberText keeps 7 significant digits",
            Shown(written));
    Require(written.contains(u'E') == (std::abs(SevenDigitRounding(f)) >= 1e7),
            "NumberText takes the exponent form from 1E+07 on only", Shown(written));
    CheckRoundTrip(f, written, "NumberText reads back as f rounded to 7 digits");
}

} // namespace

// The whole input is the text; the first four bytes are also taken as the bits of a float, and
// the value read from the text, when it fits, is written and read back as well.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        FromWindows1252(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const std::optional<double> value = Read(text);
    Require(!value || std::isfinite(*value), "ReadNumber gives a finite value", Shown(text));
    const QString spaced = Spaced(text, Hash(data, size));
    Require(SameOutcome(value, Read(spaced)), "blanks, tabs and line feeds change nothing",
            Shown(text) + QStringLiteral(" against ") + Shown(spaced));

    if (size >= sizeof(std::uint32_t)) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, data, sizeof bits);
        CheckWriting(std::bit_cast<float>(bits));
    }
    if (value) {
        try {
            CheckWriting(ToSingle(*value));
        } catch (const NumericRangeError&) {
            // Beyond the single-precision range there is no float to write.
        }
    }
    return 0;
}
