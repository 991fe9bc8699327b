#pragma once

#include <QString>
#include <QStringView>
#include <stdexcept>

namespace tarnel {

// Raised when a text holds a number beyond the double-precision range, or a stored value
// leaves the single-precision range. Callers turn it into their own failure message.
class NumericRangeError : public std::runtime_error {
public:
    NumericRangeError()
        : std::runtime_error("numeric range") {}
};

// Reads the longest leading number of `text`: blanks, tabs and line feeds are ignored anywhere,
// an optional sign, digits with at most one full stop, an optional exponent (E or D, either
// case, optional sign, digits). Anything else ends the number; no digits at all reads as 0.
// Throws NumericRangeError beyond the double-precision range.
double ReadNumber(QStringView text);

// Writes a single-precision value with 7 significant digits, no trailing zeros, no zero before
// the point of a magnitude below 1, a full stop as the point, and a leading blank when the
// value is zero or positive (" 48", " .8566667", " .00002777778", "-2"). Every magnitude below
// 1E+07 is positional, however small; from 1E+07 on the exponent form is used, with two
// exponent digits at least (" 1E+07", "-1.234568E+07").
QString NumberText(float value);

// Rounds a double to single precision; throws NumericRangeError when it does not fit.
float ToSingle(double value);

// `text` without its leading and trailing blanks (U+0020); other white space stays.
QString TrimBlanks(QStringView text);

} // namespace tarnel
