#pragma once

#include <QAccessible>
#include <QList>
#include <QString>
#include <QStringList>

class QObject;
class QWidget;

namespace tarnel::testing {

// Makes Qt report accessibility changes as it does while a screen reader listens; the
// offscreen platform never turns this on by itself. False when the platform cannot.
bool ActivateAccessibility();

// A control as assistive technology sees it, asked through Qt's accessibility interface.
struct AccessibleControl {
    QString objectName;
    QAccessible::Role role;
    QString name;
    QString description;
    QString accelerator;
};

// What a screen reader is told about `object`: role, name, description, access key.
AccessibleControl Accessible(QObject* object);

// Every control of `window` that the keyboard can reach, in creation order.
QList<AccessibleControl> FocusableControls(QWidget* window);

// The names that more than one focusable control of `window` carries, each once.
QStringList DuplicateNames(const QList<AccessibleControl>& controls);

// The captions of the labels `object` is labelled by.
QStringList LabelledBy(QObject* object);

// The tree of `window` as a screen reader reads it, one line per object: role, name and
// description, indented by depth; objects not shown are marked.
QString DumpTree(QWidget* window);

// What every window's test asks first: each control the keyboard reaches has a name, and no two
// share one. Empty when that holds; otherwise what is wrong, with the tree as a screen reader
// reads it, which shows the controls that are alike.
QString NamingFaults(QWidget* window);

// What a screen reader must be told of one control: role, name, access key ("Alt+F", empty
// for none) and, when not empty, the caption of the label the control is tied to.
struct ExpectedControl {
    QString objectName;
    int role = 0;
    QString name;
    QString label;
    QString accessKey;
};

// The one column of a table of controls, "expected", and a row of it named by the control.
void DeclareControlColumn();
void AddControlRow(const char* objectName, QAccessible::Role role, const QString& name,
                   const QString& label = {}, const QString& accessKey = {});

// How the control of `window` named `expected.objectName` differs from `expected`, one line a
// difference; empty when it does not.
QString ControlFaults(QWidget* window, const ExpectedControl& expected);

// Records the accessibility events Qt reports while it lives, instead of sending them on.
class AccessibilityEventLog {
public:
    AccessibilityEventLog();
    ~AccessibilityEventLog();
    AccessibilityEventLog(const AccessibilityEventLog&) = delete;
    AccessibilityEventLog& operator=(const AccessibilityEventLog&) = delete;

    // How many events of `type` were reported for `object` since the last Clear.
    int Count(QObject* object, QAccessible::Event type) const;
    void Clear();

private:
    QAccessible::UpdateHandler previous_;
};

} // namespace tarnel::testing

Q_DECLARE_METATYPE(tarnel::testing::ExpectedControl)
