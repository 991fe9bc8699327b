#include "core/NumberRules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace tarnel {

namespace {

bool IsIgnoredInNumber(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool IsDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The parts of a number as read from text, before any conversion.
struct ScannedNumber {
    bool negative = false;
    std::string digits;       // integer and fraction digits, without the point
    std::int64_t pointAt = 0; // number of integer digits
    std::int64_t exponent = 0;
};

constexpr std::int64_t kExponentCap = 1'000'000'000;

ScannedNumber Scan(QStringView text) {
    enum class Stage { Sign, Integer, Fraction, ExponentSign, ExponentDigits };
    ScannedNumber n;
    Stage stage = Stage::Sign;
    bool exponentNegative = false;
    for (const QChar c : text) {
        if (IsIgnoredInNumber(c)) {
            continue;
        }
        if (stage == Stage::Sign && (c == u'-' || c == u'+')) {
            n.negative = c == u'-';
            stage = Stage::Integer;
        } else if ((stage == Stage::Sign || stage == Stage::Integer) && IsDigit(c)) {
            n.digits.push_back(char(c.unicode()));
            ++n.pointAt;
            stage = Stage::Integer;
        } else if ((stage == Stage::Sign || stage == Stage::Integer) && c == u'.') {
            stage = Stage::Fraction;
        } else if (stage == Stage::Fraction && IsDigit(c)) {
            n.digits.push_back(char(c.unicode()));
        } else if ((stage == Stage::Integer || stage == Stage::Fraction) && !n.digits.empty() &&
                   (c == u'e' || c == u'E' || c == u'd' || c == u'D')) {
            stage = Stage::ExponentSign;
        } else if (stage == Stage::ExponentSign && (c == u'-' || c == u'+')) {
            exponentNegative = c == u'-';
            stage = Stage::ExponentDigits;
        } else if ((stage == Stage::ExponentSign || stage == Stage::ExponentDigits) && IsDigit(c)) {
            // Saturates: beyond the cap the value is far outside the double range either way.
            n.exponent = std::min(kExponentCap, n.exponent * 10 + (c.unicode() - u'0'));
            stage = Stage::ExponentDigits;
        } else {
            break;
        }
    }
    if (exponentNegative) {
        n.exponent = -n.exponent;
    }
    return n;
}

// Enough significant digits to decide the rounding of any double.
constexpr std::size_t kSignificantDigitsKept = 800;

double Magnitude(const ScannedNumber& n) {
    const std::size_t first = n.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return 0.0;
    }
    // Value = 0.<digits from first> x 10^scale
    const std::int64_t scale = n.pointAt - std::int64_t(first) + n.exponent;
    if (scale > std::numeric_limits<double>::max_exponent10 + 2) {
        throw NumericRangeError();
    }
    if (scale < std::numeric_limits<double>::min_exponent10 - 20) {
        return 0.0;
    }
    std::string text = "0.";
    std::string significant = n.digits.substr(first);
    if (significant.size() > kSignificantDigitsKept) {
        const bool restNonZero =
            significant.find_first_not_of('0', kSignificantDigitsKept) != std::string::npos;
        significant.resize(kSignificantDigitsKept);
        if (restNonZero) {
            significant.push_back('1'); // keeps a value just above a halfway point above it
        }
    }
    text += significant;
    text += 'e';
    text += std::to_string(scale);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (scale > 0) {
            throw NumericRangeError();
        }
        return 0.0;
    }
    return value;
}

// The value rounded to 7 significant digits: the digits without trailing zeros and the
// decimal exponent of the first one.
struct SevenDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

SevenDigits Round7(float value) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 6);
    const std::string_view text(buffer, std::size_t(result.ptr - buffer));
    SevenDigits r;
    std::size_t i = 0;
    if (text[i] == '-') {
        r.negative = true;
        ++i;
    }
    for (; i < text.size() && text[i] != 'e'; ++i) {
        if (text[i] != '.') {
            r.digits.push_back(text[i]);
        }
    }
    std::from_chars(text.data() + i + 1 + (text[i + 1] == '+' ? 1 : 0), text.data() + text.size(),
                    r.exponent);
    while (r.digits.size() > 1 && r.digits.back() == '0') {
        r.digits.pop_back();
    }
    return r;
}

QString Positional(const SevenDigits& r) {
    std::string out;
    const int length = int(r.digits.size());
    if (r.exponent >= 0) {
        const int integerDigits = r.exponent + 1;
        out = r.digits.substr(0, std::size_t(std::min(integerDigits, length)));
        out.append(std::size_t(std::max(0, integerDigits - length)), '0');
        if (integerDigits < length) {
            out += '.';
            out += r.digits.substr(std::size_t(integerDigits));
        }
    } else {
        out = ".";
        out.append(std::size_t(-r.exponent - 1), '0');
        out += r.digits;
    }
    return QString::fromLatin1(out);
}

QString WithSign(bool negative, const QString& body) {
    return (negative ? QStringLiteral("-") : QStringLiteral(" ")) + body;
}

} // namespace

double ReadNumber(QStringView text) {
    const ScannedNumber n = Scan(text);
    const double magnitude = Magnitude(n);
    return n.negative ? -magnitude : magnitude;
}

QString NumberText(float value) {
    if (value == 0.0f) {
        return QStringLiteral(" 0");
    }
    if (!std::isfinite(value)) {
        return WithSign(std::signbit(value),
                        std::isnan(value) ? QStringLiteral("NaN") : QStringLiteral("Inf"));
    }
    const SevenDigits r = Round7(value);
    if (r.exponent >= 7) {
        QString body = QChar(QLatin1Char(r.digits.front()));
        if (r.digits.size() > 1) {
            body += u'.' + QString::fromLatin1(r.digits.substr(1));
        }
        body += QStringLiteral("E%1%2")
                    .arg(QChar(r.exponent < 0 ? u'-' : u'+'))
                    .arg(std::abs(r.exponent), 2, 10, QLatin1Char('0'));
        return WithSign(r.negative, body);
    }
    return WithSign(r.negative, Positional(r));
}

float ToSingle(double value) {
    // Halfway between the largest float and 2^128: from here on round-to-nearest gives infinity.
    constexpr double kOverflowAt = 0x1.ffffffp127;
    if (std::isnan(value) || std::abs(value) >= kOverflowAt) {
        throw NumericRangeError();
    }
    return static_cast<float>(value);
}

QString TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == u' ') {
        --end;
    }
    return text.sliced(begin, end - begin).toString();
}

} // namespace tarnel
