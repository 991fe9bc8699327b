#include "core/XmlText.h"

namespace tarnel {

namespace {

bool AllowedInXml(char32_t c) {
    if (c < 0x20)
        return c == u'\t' || c == u'\n' || c == u'\r';
    return (c < 0xD800 || c > 0xDFFF) && c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

} // namespace

QString XmlSafeText(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    // toUcs4 turns a lone surrogate into U+FFFD: check the UTF-16 units themselves.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            safe += c;
            safe += text[++i];
        } else if (AllowedInXml(c.unicode())) {
            safe += c;
        }
    }
    return safe;
}

} // namespace tarnel
