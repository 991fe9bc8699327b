#pragma once

#include "core/ProgramTexts.h"

#include <QString>
#include <optional>

namespace tarnel {

inline const QString kDmsToDecimalFailure =
    QStringLiteral("Erreur de coordonnées ou paramètres incorrects !");
inline const QString kDecimalToDmsFailure =
    QStringLiteral("Calcul impossible ou erreur de données !");

struct DecimalResult {
    QString text;  // the degrees text as typed, trimmed, followed by the fraction's digits
    bool negative; // the value read back from `text` is below 0
};

// Degrees-minutes-seconds to decimal. On success sets texts.decimalText to the result.
// Returns nothing (and changes nothing) when the input cannot be converted: a number out of
// range, or a fraction that would not be the decimal part of the value (negative minutes or
// seconds, a fraction of 1 or more, degrees other than an optional sign and digits when there
// is a fraction to append). However small, the fraction is appended positionally.
std::optional<DecimalResult> DmsToDecimal(ProgramTexts& texts, const QString& degrees,
                                          const QString& minutes, const QString& seconds);

// The three captions of the decimal to degrees-minutes-seconds direction, each a NumberText.
// `degrees` is filled before a later step can fail, so a failed conversion may still carry it;
// `complete` tells whether minutes and seconds were computed.
struct DmsCaptions {
    std::optional<QString> degrees;
    QString minutes;
    QString seconds;
    bool complete = false;
};
DmsCaptions DecimalToDms(const QString& decimalText);

// Hemisphere rule of "N" and "E": the label's value made positive and rewritten with seven
// significant digits. Sets and returns texts.decimalText; a label beyond the single-precision
// range is kept as it is.
QString MakePositive(ProgramTexts& texts, const QString& labelText);

// Hemisphere rule of "S" and "O": a minus put before texts.decimalText when its value is above
// 0 (a text beyond the double-precision range stays). Returns texts.decimalText, changed or not.
QString MakeNegative(ProgramTexts& texts);

// Degrees, "°", minutes, "'", seconds and a double quote, each caption trimmed.
QString DmsText(const QString& degrees, const QString& minutes, const QString& seconds);

} // namespace tarnel
