#include "places/TextFolding.h"

namespace tarnel {

QString FoldedText(const QString& text) {
    // Compatibility decomposition splits a letter from its accents (and "ﬁ" into "fi"); French
    // ligatures have no decomposition, so they are spread by hand.
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        switch (c.category()) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
            break;
        default:
            if (c == u'œ' || c == u'Œ')
                folded += u"oe";
            else if (c == u'æ' || c == u'Æ')
                folded += u"ae";
            else if (c == u'ß')
                folded += u"ss";
            else
                folded += c;
        }
    }
    return folded.toCaseFolded();
}

} // namespace tarnel
