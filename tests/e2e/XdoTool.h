#pragma once

#include <QString>
#include <QStringList>

namespace tarnel::testing {

// xdotool's output for `arguments`, or an empty text when it failed.
QString Xdotool(const QStringList& arguments);

// Presses `keys` ("Tab", "alt+q") one after the other; false when xdotool failed.
bool Keys(const QStringList& keys);

// Types `text` into the focused window; false when xdotool failed.
bool Type(const QString& text);

} // namespace tarnel::testing
