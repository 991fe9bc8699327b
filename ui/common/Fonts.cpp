#include "ui/common/Fonts.h"

#include <QStringList>

namespace tarnel {

namespace {
const QString kSansSerif = QStringLiteral("MS Sans Serif");
const QString kComic = QStringLiteral("Comic Sans MS");

QFont MakeFont(const QString& family, qreal pointSize, bool bold) {
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
} // namespace

void InstallFontSubstitutes() {
    QFont::insertSubstitutions(kSansSerif,
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(kComic,
                               {QStringLiteral("Comic Neue"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("DejaVu Sans")});
}

QFont DesignFont(qreal pointSize, bool bold) {
    return MakeFont(kSansSerif, pointSize, bold);
}

QFont ComicFont(qreal pointSize, bool bold) {
    return MakeFont(kComic, pointSize, bold);
}

} // namespace tarnel
