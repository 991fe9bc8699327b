#pragma once

#include <QString>

namespace tarnel {

// `text` without the characters XML 1.0 forbids (control characters other than tab, line feed
// and carriage return, lone surrogates, U+FFFE and U+FFFF): a name typed or pasted with one of
// them would otherwise make a file that no XML reader opens.
QString XmlSafeText(const QString& text);

} // namespace tarnel
