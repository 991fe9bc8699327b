#include "ui/common/ResultLabelAccessible.h"

#include <QLabel>

namespace tarnel {

namespace {

// The dynamic property that holds a result label's meaning.
constexpr char kMeaning[] = "tarnelAccessibleMeaning";

} // namespace

ResultLabelAccessible::ResultLabelAccessible(QLabel* label)
    : QAccessibleWidget(label, QAccessible::StaticText) {
}

void ResultLabelAccessible::Describe(QLabel* label, const QString& meaning) {
    static const bool installed = [] {
        QAccessible::installFactory(&ResultLabelAccessible::Factory);
        return true;
    }();
    Q_UNUSED(installed);
    label->setProperty(kMeaning, meaning);
    // A view made before the meaning was known (a text change already asks for one) would be
    // kept for good: drop it so that the next question builds this one.
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(label);
    if (existing && !dynamic_cast<ResultLabelAccessible*>(existing))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

QAccessibleInterface* ResultLabelAccessible::Factory(const QString& className, QObject* object) {
    auto* label = qobject_cast<QLabel*>(object);
    if (className != QLatin1String("QLabel") || !label || !label->property(kMeaning).isValid())
        return nullptr;
    return new ResultLabelAccessible(label);
}

QLabel* ResultLabelAccessible::Label() const {
    return static_cast<QLabel*>(widget());
}

QString ResultLabelAccessible::text(QAccessible::Text kind) const {
    const QString value = Label()->text().trimmed();
    switch (kind) {
    case QAccessible::Name: {
        const QString meaning = Label()->property(kMeaning).toString();
        return value.isEmpty() ? meaning : meaning + QStringLiteral(" : ") + value;
    }
    case QAccessible::Value:
        return value;
    default:
        return QAccessibleWidget::text(kind);
    }
}

} // namespace tarnel
