#include "tests/support/ReadBack.h"

#include <QProcess>
#include <QRegularExpression>

namespace tarnel::testing {

QList<QStringList> CsvRows(const QString& text) {
    QList<QStringList> rows;
    static const QRegularExpression field(QStringLiteral("(?:^|,)(\"(?:[^\"]|\"\")*\"|[^,]*)"));
    for (const QString& line : text.split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts)) {
        QStringList row;
        for (const QRegularExpressionMatch& match : field.globalMatch(line)) {
            QString value = match.captured(1);
            if (value.startsWith(u'"'))
                value = value.mid(1, value.size() - 2).replace(u"\"\""_qs, u"\""_qs);
            row.append(value);
        }
        rows.append(row);
    }
    return rows;
}

QList<QStringList> ReadBack(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return {};
    return CsvRows(QString::fromUtf8(process.readAllStandardOutput()));
}

QStringList Column(const QList<QStringList>& rows, const QString& name) {
    QStringList values;
    const qsizetype column = rows.isEmpty() ? -1 : rows[0].indexOf(name);
    for (qsizetype i = 1; i < rows.size() && column >= 0; ++i)
        values.append(rows[i].value(column));
    return values;
}

} // namespace tarnel::testing
