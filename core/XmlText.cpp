#include "core/XmlText.h"

namespace tarnel {

QString XmlSafeText(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    // toUcs4 would turn a lone surrogate into U+FFFD: the UTF-16 units are checked themselves.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            safe += c;
            safe += text[++i];
        } else if (c.unicode() < 0x20) {
            safe += u' ';
        } else if (!c.isSurrogate() && c.unicode() != 0xFFFE && c.unicode() != 0xFFFF) {
            safe += c;
        }
    }
    return safe;
}

} // namespace tarnel
