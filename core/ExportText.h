#pragma once

#include <QString>

namespace tarnel {

// `text` (a point's name, a description, an address label) as every exported file holds it, so
// that GPX, KML and GeoJSON carry the same text and every reader reads it back whole:
// - control characters (C0, DEL and C1; tab and line breaks included) become blanks, since the
//   files hold it on one line, XML 1.0 forbids most of them and its readers turn a carriage
//   return into a line feed;
// - left out: U+FEFF anywhere (readers take a leading one for a byte-order mark and drop it),
//   the noncharacters (U+FDD0 to U+FDEF and the last two code points of every plane, U+FFFE and
//   U+FFFF among them) and lone surrogates, never what the user meant and which XML forbids or
//   a UTF-8 encoder replaces;
// - everything else is kept as it is, surrogate pairs (characters beyond U+FFFF) whole.
// Applying it again changes nothing.
QString ExportSafeText(const QString& text);

} // namespace tarnel
