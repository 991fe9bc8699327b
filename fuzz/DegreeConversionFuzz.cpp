// Fuzz target of both conversion directions (DmsToDecimal, DecimalToDms).
//
// Checked on every input, besides no crash and no sanitizer report:
// DmsToDecimal(texts, degrees, minutes, seconds)
// - either nothing, and texts.decimalText is left as it was,
// - or a result whose text is the trimmed degrees text followed by nothing or by a full stop and
//   digits; texts.decimalText equals that text; the negative flag is the value read back from
//   it (single precision) being below 0; the appended digits are the fraction
//   seconds / 3600 + minutes / 60 to 7 significant digits, and nothing is appended exactly when
//   that fraction is 0;
// - it does give a result for plain input: degrees that are digits with an optional sign (below
//   1E+30), minutes and seconds not negative and within range, fraction below 1.
// DecimalToDms(text), for the text of each field and for the decimal text just produced
// - a failed reading leaves no degrees caption; a complete conversion has all three captions;
// - complete: minutes and seconds are whole numbers, not negative, written with the blank of a
//   positive value; the degrees caption carries the sign of the value ("-0" for a negative value
//   above -1);
// - complete and |value| below 2^24: minutes and seconds are at most 60. 60 is reached, by
//   design: 48.999999 rounds to 49 in single precision while the degrees are truncated from the
//   full reading (48, 60, 0); a remainder that rounds up to 1 gives 60 seconds. Minutes of 60
//   come with 0 seconds. Beyond 2^24 the gap between the single-precision value and the
//   truncated degrees can be 2 or more, so minutes can go past 60 there;
// - complete and |value| below 1E+07: the degrees caption reads back as the reading truncated
//   toward zero, and degrees + minutes / 60 + seconds / 3600 lies within one second below the
//   single-precision value (truncation, never rounding up), less than 1E-06 above it.

#include "core/DegreeConversion.h"
#include "core/NumberRules.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

using namespace tarnel;
using tarnel::fuzz::ConsumeText;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

std::optional<float> SingleReading(QStringView text) {
    try {
        return ToSingle(ReadNumber(text));
    } catch (const NumericRangeError&) {
        return std::nullopt;
    }
}

bool IsDigits(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

bool IsPlainWholeNumber(QStringView text) {
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        text = text.sliced(1);
    }
    return !text.isEmpty() && IsDigits(text);
}

// The fraction the way the conversion forms it: single-precision minutes and seconds, the sum
// in double precision, stored in single precision.
std::optional<float> Fraction(const QString& minutes, const QString& seconds) {
    const std::optional<float> m = SingleReading(minutes);
    const std::optional<float> s = SingleReading(seconds);
    if (!m || !s) {
        return std::nullopt;
    }
    try {
        return ToSingle(double(*s) / 3600.0 + double(*m) / 60.0);
    } catch (const NumericRangeError&) {
        return std::nullopt;
    }
}

void CheckDmsToDecimal(const QString& degrees, const QString& minutes, const QString& seconds) {
    const QString before = QStringLiteral("\u0001previous result");
    ProgramTexts texts;
    texts.decimalText = before;
    const std::optional<DecimalResult> result = DmsToDecimal(texts, degrees, minutes, seconds);
    const QString input = Shown(degrees) + u' ' + Shown(minutes) + u' ' + Shown(seconds);

    const QString trimmedDegrees = TrimBlanks(degrees);
    const std::optional<float> degreeValue = SingleReading(degrees);
    const std::optional<float> m = SingleReading(minutes);
    const std::optional<float> s = SingleReading(seconds);
    const std::optional<float> fraction = Fraction(minutes, seconds);
    if (!result) {
        Require(texts.decimalText == before, "a failed conversion leaves decimalText", input);
        const bool plain = IsPlainWholeNumber(trimmedDegrees) && degreeValue &&
                           std::abs(*degreeValue) < 1e30f && m && *m >= 0.0f && s && *s >= 0.0f &&
                           fraction && *fraction < 1.0f;
        Require(!plain, "plain degrees, minutes and seconds convert", input);
        return;
    }
    Require(texts.decimalText == result->text, "decimalText is the result", input);
    Require(result->text.startsWith(trimmedDegrees), "the result begins with the degrees text",
            input + QStringLiteral(" gave ") + Shown(result->text));
    const QStringView appended = QStringView(result->text).sliced(trimmedDegrees.size());
    Require(appended.isEmpty() ||
                (appended.size() >= 2 && appended.startsWith(u'.') && IsDigits(appended.sliced(1))),
            "nothing or a full stop and digits are appended",
            input + QStringLiteral(" gave ") + Shown(result->text));
    const std::optional<float> value = SingleReading(result->text);
    Require(value.has_value() && result->negative == (*value < 0.0f),
            "the negative flag is the sign of the result", Shown(result->text));
    Require(fraction.has_value(), "a result comes from numbers in range", input);
    Require(appended.isEmpty() == (*fraction == 0.0f), "only a zero fraction appends nothing",
            input + QStringLiteral(" gave ") + Shown(result->text));
    if (!appended.isEmpty()) {
        const double written = ReadNumber(appended);
        Require(std::abs(written - double(*fraction)) <= 1e-6 * double(*fraction),
                "the appended digits are the fraction to 7 digits",
                input + QStringLiteral(" gave ") + Shown(result->text));
    }
}

void CheckDecimalToDms(const QString& text) {
    const DmsCaptions captions = DecimalToDms(text);
    std::optional<double> reading;
    try {
        reading = ReadNumber(text);
    } catch (const NumericRangeError&) {
        reading = std::nullopt;
    }
    const QString input = Shown(text);
    if (!reading) {
        Require(!captions.degrees && !captions.complete, "an unreadable text gives no caption",
                input);
        return;
    }
    if (!captions.complete) {
        return;
    }
    Require(captions.degrees.has_value(), "a complete conversion has its degrees", input);
    const float value = float(*reading);
    Require(captions.degrees->startsWith(value < 0.0f ? u'-' : u' '), "the degrees carry the sign",
            input + QStringLiteral(" gave ") + *captions.degrees);
    const double minutes = ReadNumber(captions.minutes);
    const double seconds = ReadNumber(captions.seconds);
    const QString shown = input + QStringLiteral(" gave ") + *captions.degrees + u'|' +
                          captions.minutes + u'|' + captions.seconds;
    Require(captions.minutes.startsWith(u' ') && captions.seconds.startsWith(u' ') &&
                minutes >= 0.0 && seconds >= 0.0 && minutes == std::trunc(minutes) &&
                seconds == std::trunc(seconds),
            "minutes and seconds are whole and not negative", shown);
    if (std::abs(value) < 16777216.0f) {
        Require(minutes <= 60.0 && seconds <= 60.0, "minutes and seconds are at most 60", shown);
        Require(minutes < 60.0 || seconds == 0.0, "60 minutes come with 0 seconds", shown);
    }
    if (std::abs(value) < 1e7f) {
        const double degrees = ReadNumber(*captions.degrees);
        Require(degrees == std::trunc(*reading), "the degrees are the truncated reading", shown);
        const double rebuilt = std::abs(degrees) + minutes / 60.0 + seconds / 3600.0;
        const double below = std::abs(double(value)) - rebuilt;
        Require(below > -1e-6 && below < 1.0 / 3600.0 + 1e-6,
                "the captions truncate the value to the second", shown);
    }
}

} // namespace

// Input: three texts (degrees, minutes, seconds), each ended by a backslash and one more byte.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const QString degrees = ConsumeText(input);
    const QString minutes = ConsumeText(input);
    const QString seconds = ConsumeText(input);

    CheckDmsToDecimal(degrees, minutes, seconds);
    ProgramTexts texts;
    if (const std::optional<DecimalResult> result =
            DmsToDecimal(texts, degrees, minutes, seconds)) {
        CheckDecimalToDms(result->text);
    }
    CheckDecimalToDms(degrees);
    CheckDecimalToDms(minutes);
    CheckDecimalToDms(seconds);
    return 0;
}
