#pragma once

#include <QAccessibleWidget>

class QLabel;

namespace tarnel {

// How assistive technology sees a result label: static text named by its meaning and the value
// it shows at the time it is asked, so that the name never lags behind the label. The label
// reports each change of its text as a change of its name.
class ResultLabelAccessible : public QAccessibleWidget {
public:
    // Gives `label` this view under `meaning`; any view of it made before is dropped.
    static void Describe(QLabel* label, const QString& meaning);

    QString text(QAccessible::Text kind) const override;

private:
    explicit ResultLabelAccessible(QLabel* label);
    static QAccessibleInterface* Factory(const QString& className, QObject* object);
    QLabel* Label() const;
};

} // namespace tarnel
