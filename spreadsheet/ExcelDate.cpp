#include "spreadsheet/ExcelDate.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>

namespace tarnel {

bool IsDateFormat(int numberFormatId, QStringView formatCode) {
    if ((numberFormatId >= 14 && numberFormatId <= 22) ||
        (numberFormatId >= 45 && numberFormatId <= 47)) {
        return true;
    }
    bool quoted = false;
    bool bracket = false;
    for (qsizetype i = 0; i < formatCode.size(); ++i) {
        const QChar c = formatCode[i].toLower();
        if (c == u'\\') {
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u'[') {
            bracket = true;
        } else if (!quoted && c == u']') {
            bracket = false;
        } else if (!quoted && !bracket && (c == u'd' || c == u'y' || c == u'h' || c == u's')) {
            // Files keep the English letters whatever the language of the program that saved
            // them; "General" has none of these.
            return true;
        }
    }
    return false;
}

std::optional<QString> ExcelDateText(double serial, bool from1904) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465.0) {
        return std::nullopt;
    }
    const QDate origin = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double days = std::floor(serial);
    const auto milliseconds = qint64(std::llround((serial - days) * 86400000.0));
    const QDateTime moment =
        QDateTime(origin.addDays(qint64(days)), QTime(0, 0), Qt::UTC).addMSecs(milliseconds);
    const bool hasTime = milliseconds != 0;
    if (serial < 1 && hasTime) {
        return moment.time().toString(QStringLiteral("HH:mm:ss"));
    }
    const QString day = moment.date().toString(QStringLiteral("dd/MM/yyyy"));
    return hasTime ? day + u' ' + moment.time().toString(QStringLiteral("HH:mm")) : day;
}

} // namespace tarnel
