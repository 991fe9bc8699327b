#pragma once

#include <QAccessible>
#include <QLabel>
#include <QVariant>

namespace tarnel {

// Marks `label` with `value` under `property`, for `factory` (installed once) to give it the
// view `View`. A view of the label made before the mark, which Qt would keep for good, is
// dropped so that the next question builds the new one.
template <typename View>
void MarkLabelForView(QLabel* label, const char* property, const QVariant& value,
                      QAccessible::InterfaceFactory factory) {
    static const bool installed = [factory] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
    label->setProperty(property, value);
    QAccessibleInterface* existing = QAccessible::queryAccessibleInterface(label);
    if (existing && !dynamic_cast<View*>(existing))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(existing));
}

// What a factory of such views is given, when it is a label marked with `property`.
inline QLabel* MarkedLabel(const QString& className, QObject* object, const char* property) {
    auto* label = qobject_cast<QLabel*>(object);
    return className == QLatin1String("QLabel") && label && label->property(property).isValid()
               ? label
               : nullptr;
}

} // namespace tarnel
