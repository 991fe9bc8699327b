#pragma once

#include <QString>
#include <QStringView>
#include <functional>

class QLineEdit;

namespace tarnel {

inline const QString kSignedNumberKeys = QStringLiteral("-0123456789.");
inline const QString kUnsignedNumberKeys = QStringLiteral("0123456789.");
inline constexpr int kBackspace = 8;

// A box's key-press handler: called with the code of each character typed into the box before
// it arrives (Enter is 13, Backspace 8, Ctrl+A to Ctrl+Z are 1 to 26), also of each character
// an input method commits (dead keys, compose sequences); setting the code to 0 discards the
// character. Keys that type no character (arrows, Delete, Home) never reach it,
// nor does text pasted through the context menu or set by the program.
using KeyPressHandler = std::function<void(int& keyAscii)>;
void InstallKeyPress(QLineEdit* box, KeyPressHandler handler);

// The numeric filter: `keyAscii` when it is Backspace or one of `allowed`, otherwise 0.
int FilterNumericKey(int keyAscii, QStringView allowed);

} // namespace tarnel
