#pragma once

#include <QString>

namespace tarnel {

// `text` as a one-line XML text: control characters (tab, line breaks included) become blanks,
// since XML 1.0 forbids most of them and its readers turn a carriage return into a line feed;
// the characters XML forbids outright (lone surrogates, U+FFFE, U+FFFF) are left out. A name
// typed or pasted with one of them would otherwise make a file no XML reader opens.
QString XmlSafeText(const QString& text);

} // namespace tarnel
