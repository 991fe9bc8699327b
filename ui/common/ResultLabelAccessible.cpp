#include "ui/common/ResultLabelAccessible.h"

#include "ui/common/LabelViews.h"

namespace tarnel {

namespace {

// The dynamic property that holds a result label's meaning.
constexpr char kMeaning[] = "tarnelAccessibleMeaning";

} // namespace

ResultLabelAccessible::ResultLabelAccessible(QLabel* label)
    : QAccessibleWidget(label, QAccessible::StaticText) {
}

void ResultLabelAccessible::Describe(QLabel* label, const QString& meaning) {
    MarkLabelForView<ResultLabelAccessible>(label, kMeaning, meaning, &Factory);
}

QAccessibleInterface* ResultLabelAccessible::Factory(const QString& className, QObject* object) {
    QLabel* label = MarkedLabel(className, object, kMeaning);
    return label ? new ResultLabelAccessible(label) : nullptr;
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
