#include "spreadsheet/XmlEscape.h"

namespace tarnel {

QString XmlEscaped(QStringView text) {
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            escaped += c;
            escaped += text[++i];
            continue;
        }
        switch (u) {
        case u'&':
            escaped += QStringLiteral("&amp;");
            break;
        case u'<':
            escaped += QStringLiteral("&lt;");
            break;
        case u'>':
            escaped += QStringLiteral("&gt;");
            break;
        case u'"':
            escaped += QStringLiteral("&quot;");
            break;
        case u'\t':
            escaped += QStringLiteral("&#9;");
            break;
        case u'\n':
            escaped += QStringLiteral("&#10;");
            break;
        case u'\r':
            escaped += QStringLiteral("&#13;");
            break;
        default:
            if (u >= 0x20 && !c.isSurrogate() && u != 0xFFFE && u != 0xFFFF) {
                escaped += c;
            }
        }
    }
    return escaped;
}

} // namespace tarnel
