#pragma once

#include <QAccessibleWidget>

class QLabel;

namespace tarnel {

// How assistive technology sees a label that opens a link when clicked: a link, named by its
// accessible name or else its text, whose press action does what Enter on the focused label
// does.
class LinkLabelAccessible : public QAccessibleWidget {
public:
    // Gives `label` this view; any view of it made before is dropped.
    static void Describe(QLabel* label);

    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString& action) override;

private:
    explicit LinkLabelAccessible(QLabel* label);
    static QAccessibleInterface* Factory(const QString& className, QObject* object);
    QLabel* Label() const;
};

} // namespace tarnel
