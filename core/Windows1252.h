#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tarnel {

// One byte becomes one character, the five bytes that windows-1252 leaves undefined included
// (they become the C1 control of the same code).
QString FromWindows1252(QByteArrayView bytes);

// One character becomes one byte; a character windows-1252 cannot hold becomes "?".
QByteArray ToWindows1252(QStringView text);

} // namespace tarnel
