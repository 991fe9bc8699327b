#include "XdoTool.h"

#include <QProcess>

namespace tarnel::testing {

namespace {

constexpr int kLongestRun = 30000;

} // namespace

QString Xdotool(const QStringList& arguments) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForFinished(kLongestRun) || xdotool.exitCode() != 0)
        return {};
    QString output = QString::fromUtf8(xdotool.readAllStandardOutput());
    output.chop(output.endsWith(QLatin1Char('\n')) ? 1 : 0);
    return output;
}

bool Keys(const QStringList& keys) {
    QProcess xdotool;
    xdotool.start(
        QStringLiteral("xdotool"),
        QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} + keys);
    return xdotool.waitForFinished(kLongestRun) && xdotool.exitCode() == 0;
}

bool Type(const QString& text) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), text});
    return xdotool.waitForFinished(kLongestRun) && xdotool.exitCode() == 0;
}

} // namespace tarnel::testing
