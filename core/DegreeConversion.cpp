#include "core/DegreeConversion.h"

#include "core/NumberRules.h"

#include <cmath>

namespace tarnel {

namespace {

constexpr double kSixty = 60.0f;
constexpr double kThirtySixHundred = 3600.0f;

// True when a full stop and digits put after `degrees` become the decimal part of its value:
// nothing but an optional sign and digits (blanks, tabs and line feeds are skipped when read).
bool TakesAppendedFraction(QStringView degrees) {
    bool signAllowed = true;
    for (const QChar c : degrees) {
        if (c == u' ' || c == u'\t' || c == u'\n') {
            continue;
        }
        if (signAllowed && (c == u'-' || c == u'+')) {
            signAllowed = false;
            continue;
        }
        if (c < u'0' || c > u'9') {
            return false;
        }
        signAllowed = false;
    }
    return true;
}

} // namespace

std::optional<DecimalResult> DmsToDecimal(ProgramTexts& texts, const QString& degrees,
                                          const QString& minutes, const QString& seconds) {
    try {
        // The degrees enter the result as text; reading them only lets a number out of
        // range fail.
        ToSingle(ReadNumber(degrees));
        const float minuteValue = ToSingle(ReadNumber(minutes));
        const float secondValue = ToSingle(ReadNumber(seconds));
        if (minuteValue < 0.0f || secondValue < 0.0f) {
            return std::nullopt;
        }
        const float fraction = ToSingle(secondValue / kThirtySixHundred + minuteValue / kSixty);
        if (fraction >= 1.0f) {
            return std::nullopt;
        }
        QString text = TrimBlanks(degrees);
        if (fraction > 0.0f) {
            if (!TakesAppendedFraction(text)) {
                return std::nullopt;
            }
            // The fraction is below 1, so NumberText writes it positionally, however small:
            // its digits after the point are the decimal part of the value.
            const QString fractionText = NumberText(fraction);
            text += fractionText.mid(fractionText.indexOf(u'.'));
        }
        const float value = ToSingle(ReadNumber(text));
        texts.decimalText = text;
        return DecimalResult{text, value < 0.0f};
    } catch (const NumericRangeError&) {
        return std::nullopt;
    }
}

DmsCaptions DecimalToDms(const QString& decimalText) {
    DmsCaptions captions;
    try {
        const double reading = ReadNumber(decimalText);
        const float value = ToSingle(reading);
        const float wholeDegrees = ToSingle(std::trunc(reading));
        captions.degrees = (value < 0.0f && wholeDegrees == 0.0f) ? QStringLiteral("-0")
                                                                  : NumberText(wholeDegrees);
        const float rest = ToSingle(std::abs(double(value) - double(wholeDegrees)));
        const double restMinutes = rest * kSixty;
        const float wholeMinutes = ToSingle(std::trunc(restMinutes));
        const float remainder = ToSingle(restMinutes - wholeMinutes);
        const float wholeSeconds = ToSingle(std::trunc(remainder * kSixty));
        captions.minutes = NumberText(wholeMinutes);
        captions.seconds = NumberText(wholeSeconds);
        captions.complete = true;
    } catch (const NumericRangeError&) {
        // The captions computed so far stay; `complete` tells the caller the rest is missing.
    }
    return captions;
}

QString MakePositive(ProgramTexts& texts, const QString& labelText) {
    texts.decimalText = labelText;
    try {
        const float value = ToSingle(ReadNumber(texts.decimalText));
        texts.decimalText = TrimBlanks(NumberText(std::abs(value)));
    } catch (const NumericRangeError&) {
        // A value beyond the single-precision range has no positive rewrite; the label stays.
    }
    return texts.decimalText;
}

QString MakeNegative(ProgramTexts& texts) {
    try {
        if (ReadNumber(texts.decimalText) > 0.0) {
            texts.decimalText.prepend(u'-');
        }
    } catch (const NumericRangeError&) {
        // Beyond the double-precision range: left as it is, like any text that is not a number.
    }
    return texts.decimalText;
}

QString DmsText(const QString& degrees, const QString& minutes, const QString& seconds) {
    return TrimBlanks(degrees) + u'°' + TrimBlanks(minutes) + u'\'' + TrimBlanks(seconds) + u'"';
}

} // namespace tarnel
