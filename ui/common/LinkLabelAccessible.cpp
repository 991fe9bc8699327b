#include "ui/common/LinkLabelAccessible.h"

#include "ui/common/LabelViews.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace tarnel {

namespace {

// The dynamic property that marks a label as a link.
constexpr char kLink[] = "tarnelAccessibleLink";

} // namespace

LinkLabelAccessible::LinkLabelAccessible(QLabel* label)
    : QAccessibleWidget(label, QAccessible::Link) {
}

void LinkLabelAccessible::Describe(QLabel* label) {
    MarkLabelForView<LinkLabelAccessible>(label, kLink, true, &Factory);
}

QAccessibleInterface* LinkLabelAccessible::Factory(const QString& className, QObject* object) {
    QLabel* label = MarkedLabel(className, object, kLink);
    return label ? new LinkLabelAccessible(label) : nullptr;
}

QLabel* LinkLabelAccessible::Label() const {
    return static_cast<QLabel*>(widget());
}

QString LinkLabelAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Name && Label()->accessibleName().isEmpty())
        return Label()->text();
    return QAccessibleWidget::text(kind);
}

QStringList LinkLabelAccessible::actionNames() const {
    return {pressAction()};
}

void LinkLabelAccessible::doAction(const QString& action) {
    if (action != pressAction())
        return;
    // Through the key the label's window follows the link on, so that both ways meet.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(Label(), &press);
}

} // namespace tarnel
