#pragma once

#include <QString>
#include <QStringView>

namespace tarnel {

// `text` as XML character data or attribute value: &, <, >, " escaped, tab, line feed and
// carriage return written as character references (so that readers keep them as they are),
// and the characters XML 1.0 forbids (other controls, lone surrogates, U+FFFE, U+FFFF) left
// out, so that every text makes a file spreadsheets open.
QString XmlEscaped(QStringView text);

} // namespace tarnel
