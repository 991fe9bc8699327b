#include "ui/common/Accessibility.h"

#include "ui/common/ResultLabelAccessible.h"

#include <QAccessible>
#include <QLabel>

namespace tarnel {

QString SpokenCaption(const QString& caption) {
    QString spoken = caption;
    while (!spoken.isEmpty() && (spoken.back() == u':' || spoken.back().isSpace()))
        spoken.chop(1);
    return spoken;
}

void TieLabel(QLabel* label, QWidget* box) {
    label->setBuddy(box);
    box->setAccessibleName(SpokenCaption(label->text()));
}

void AnnounceAsResult(QLabel* label, const QString& meaning) {
    ResultLabelAccessible::Describe(label, meaning);
}

} // namespace tarnel
