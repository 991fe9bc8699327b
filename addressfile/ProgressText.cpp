#include "addressfile/ProgressText.h"

#include <QLocale>

namespace tarnel {

QString FrenchNumber(qsizetype value) {
    return QLocale(QLocale::French, QLocale::France).toString(qint64{value});
}

QString DurationText(qint64 seconds) {
    if (seconds < 60) {
        return QStringLiteral("%1 s").arg(seconds);
    }
    if (seconds < 3600) {
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    }
    return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString ProgressText(const BatchProgress& progress) {
    QString text = QStringLiteral("%1 / %2 lignes")
                       .arg(FrenchNumber(progress.done), FrenchNumber(progress.rows));
    if (progress.rowsPerSecond > 0) {
        text += QStringLiteral(" — %1 lignes/s").arg(qRound64(progress.rowsPerSecond));
    }
    if (progress.secondsLeft) {
        text += QStringLiteral(" — reste environ %1").arg(DurationText(*progress.secondsLeft));
    }
    return text;
}

} // namespace tarnel
