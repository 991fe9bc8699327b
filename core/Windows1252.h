#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tarnel {

// One byte becomes one character, the five bytes that windows-1252 leaves undefined included
// (they become the C1 control of the same code).
QString FromWindows1252(QByteArrayView bytes);

// True when every character of `text` has a byte of its own in windows-1252.
bool FitsWindows1252(QStringView text);

// One character becomes one byte; a character windows-1252 cannot hold becomes "?".
QByteArray ToWindows1252(QStringView text);

} // namespace tarnel
