#include "ui/common/LinkLabelAccessible.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>

namespace tarnel {

namespace {

// The dynamic property that marks a label as a link.
constexpr char kLink[] = "tarnelAccessibleLink";

} // namespace

LinkLabelAccessible::LinkLabelAccessible(QLabel* label)
    : QAccessibleWidget(label, QAccessible::Link) {
}

void LinkLabelAccessible::Describe(QLabel* label) {
    static const bool installed = [] {
        QAccessible::installFactory(&LinkLabelAccessible::Factory);
        return true;
    }();
    Q_UNUSED(installed);
    label->setProperty(kLink, true);
    // A view made before the mark was set would be kept for good: drop it.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(label);
    if (existing && !dynamic_cast<LinkLabelAccessible*>(existing))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

QAccessibleInterface* LinkLabelAccessible::Factory(const QString& className, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (className != QLatin1String("QLabel") || !label || !label->property(kLink).toBool())
        return nullptr;
    return new LinkLabelAccessible(label);
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
