#pragma once

#include <QString>

namespace tarnel {

// `text` as the list compares and sorts it: accents dropped, case folded, ligatures spread
// ("Œuvre à Élancourt" and "oeuvre a elancourt" fold alike).
QString FoldedText(const QString& text);

} // namespace tarnel
