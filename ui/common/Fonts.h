#pragma once

#include <QFont>

namespace tarnel {

// Maps the design families to metric-compatible families a Linux desktop has: "MS Sans Serif"
// to Liberation Sans (Arial's metrics), "Comic Sans MS" to Comic Neue. Call once at start.
void InstallFontSubstitutes();

// The windows' default font, MS Sans Serif 8.25 pt, optionally bold or larger.
QFont DesignFont(qreal pointSize = 8.25, bool bold = false);

// Comic Sans MS at the given size, for the about window.
QFont ComicFont(qreal pointSize, bool bold = false);

} // namespace tarnel
