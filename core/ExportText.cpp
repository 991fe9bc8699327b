#include "core/ExportText.h"

namespace tarnel {

QString ExportSafeText(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    // toUcs4 would turn a lone surrogate into U+FFFD: the UTF-16 units are read one by one.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const QChar low = text[++i];
            if (!QChar::isNonCharacter(QChar::surrogateToUcs4(c, low))) {
                safe += c;
                safe += low;
            }
        } else if (c.category() == QChar::Other_Control) {
            safe += u' ';
        } else if (!c.isSurrogate() && !c.isNonCharacter() && c.unicode() != 0xFEFF) {
            safe += c;
        }
    }
    return safe;
}

} // namespace tarnel
