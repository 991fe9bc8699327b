#include "core/AngleText.h"

#include <QRegularExpression>
#include <array>
#include <cmath>

namespace tarnel {

namespace {

QChar HemisphereLetter(bool negative, Axis axis) {
    if (axis == Axis::Latitude) {
        return negative ? u'S' : u'N';
    }
    return negative ? u'O' : u'E';
}

// The letter's sign for `axis`: +1, -1, or 0 when it belongs to the other axis.
int LetterSign(QChar letter, Axis axis) {
    switch (letter.toUpper().unicode()) {
    case u'N':
        return axis == Axis::Latitude ? 1 : 0;
    case u'S':
        return axis == Axis::Latitude ? -1 : 0;
    case u'E':
        return axis == Axis::Longitude ? 1 : 0;
    case u'O':
    case u'W':
        return axis == Axis::Longitude ? -1 : 0;
    default:
        return 0;
    }
}

// Blanks of every kind people paste from web pages count as one.
QString Normalised(QStringView text) {
    QString plain = text.toString();
    for (QChar& c : plain) {
        if (c == QChar(0x00A0) || c == QChar(0x202F) || c == QChar(0x2009) || c == u'\t') {
            c = u' ';
        }
    }
    return plain.trimmed();
}

} // namespace

QString DmsAngleText(double degrees, Axis axis) {
    const qint64 hundredths = std::llround(std::abs(degrees) * 360000.0);
    const qint64 seconds = hundredths % 6000;
    return QStringLiteral("%1\u00B0%2'%3.%4\"%5")
        .arg(hundredths / 360000)
        .arg(hundredths / 6000 % 60, 2, 10, QChar(u'0'))
        .arg(seconds / 100, 2, 10, QChar(u'0'))
        .arg(seconds % 100, 2, 10, QChar(u'0'))
        .arg(HemisphereLetter(degrees < 0 && hundredths > 0, axis));
}

QString DdmAngleText(double degrees, Axis axis) {
    const qint64 thousandths = std::llround(std::abs(degrees) * 60000.0);
    const qint64 minutes = thousandths % 60000;
    return QStringLiteral("%1\u00B0%2.%3'%4")
        .arg(thousandths / 60000)
        .arg(minutes / 1000, 2, 10, QChar(u'0'))
        .arg(minutes % 1000, 3, 10, QChar(u'0'))
        .arg(HemisphereLetter(degrees < 0 && thousandths > 0, axis));
}

AngleReading ReadAngle(QStringView text, Axis axis) {
    static const QRegularExpression kAngle(
        QStringLiteral("^([NSEOWnseow])? *([-+\u2212])? *"
                       "(\\d+(?:[.,]\\d*)?|[.,]\\d+) *([\u00B0\u00BA\u02DA:])? *"
                       "(?:(\\d+(?:[.,]\\d*)?|[.,]\\d+) *(['\u2019\u2032:])? *"
                       "(?:(\\d+(?:[.,]\\d*)?|[.,]\\d+) *(\"|''|\u2033|\u201D)? *)?)?"
                       "([NSEOWnseow])?$"));
    const QRegularExpressionMatch match = kAngle.match(Normalised(text));
    if (!match.hasMatch()) {
        return {};
    }
    const QString before = match.captured(1);
    const QString after = match.captured(9);
    const bool minus = !match.captured(2).isEmpty() && match.captured(2) != u"+";
    if ((!before.isEmpty() && !after.isEmpty()) ||
        ((!before.isEmpty() || !after.isEmpty()) && !match.captured(2).isEmpty())) {
        return {};
    }
    const QString letter = before + after;
    const int sign = letter.isEmpty() ? (minus ? -1 : 1) : LetterSign(letter.at(0), axis);
    if (sign == 0) {
        return {};
    }
    // Degrees, minutes, seconds; only the last one given may have decimals.
    const std::array<QString, 3> parts = {match.captured(3), match.captured(5), match.captured(7)};
    std::array<double, 3> values{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size() || parts.at(i + 1).isEmpty();
        if (parts.at(i).isEmpty()) {
            break;
        }
        QString number = parts.at(i);
        number.replace(u',', u'.');
        if (!last && number.contains(u'.')) {
            return {};
        }
        bool ok = false;
        values.at(i) = number.toDouble(&ok);
        if (!ok) {
            return {AngleReading::Outcome::OutOfRange, 0};
        }
    }
    const double limit = axis == Axis::Latitude ? 90 : 180;
    const double degrees = values[0] + values[1] / 60 + values[2] / 3600;
    if (!std::isfinite(degrees) || values[1] >= 60 || values[2] >= 60 || degrees > limit) {
        return {AngleReading::Outcome::OutOfRange, 0};
    }
    return {AngleReading::Outcome::Read, sign * degrees};
}

} // namespace tarnel
