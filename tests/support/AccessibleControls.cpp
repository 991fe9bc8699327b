#include "tests/support/AccessibleControls.h"

#include <QAccessibleInterface>
#include <QMap>
#include <QMetaEnum>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace tarnel::testing {

namespace {

struct LoggedEvent {
    QPointer<QObject> object;
    QAccessible::Event type;
};

QList<LoggedEvent>& Log() {
    static QList<LoggedEvent> log;
    return log;
}

void Record(QAccessibleEvent* event) {
    Log().append({event->object(), event->type()});
}

QString RoleName(QAccessible::Role role) {
    const QMetaEnum roles = QMetaEnum::fromType<QAccessible::Role>();
    const char* key = roles.valueToKey(role);
    return key ? QString::fromLatin1(key) : QString::number(role);
}

void DumpNode(QAccessibleInterface* node, int depth, QString& out) {
    out += QString(depth * 2, u' ') + RoleName(node->role()) + QStringLiteral(": \"") +
           node->text(QAccessible::Name) + u'"';
    const QString description = node->text(QAccessible::Description);
    if (!description.isEmpty())
        out += QStringLiteral(" — \"") + description + u'"';
    if (node->state().invisible)
        out += QStringLiteral(" (not shown)");
    out += u'\n';
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* child = node->child(i))
            DumpNode(child, depth + 1, out);
}

} // namespace

bool ActivateAccessibility() {
    QPlatformIntegration* integration = QGuiApplicationPrivate::platformIntegration();
    QPlatformAccessibility* accessibility = integration ? integration->accessibility() : nullptr;
    if (!accessibility)
        return false;
    accessibility->setActive(true);
    return QAccessible::isActive();
}

AccessibleControl Accessible(QObject* object) {
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(object);
    if (!node)
        return {object->objectName(), QAccessible::NoRole, {}, {}, {}};
    return {object->objectName(), node->role(), node->text(QAccessible::Name),
            node->text(QAccessible::Description), node->text(QAccessible::Accelerator)};
}

QList<AccessibleControl> FocusableControls(QWidget* window) {
    QList<AccessibleControl> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        // A control that hands its focus on is reached as the one it hands it to.
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy())
            controls.append(Accessible(widget));
    }
    return controls;
}

QStringList DuplicateNames(const QList<AccessibleControl>& controls) {
    QMap<QString, int> counts;
    for (const AccessibleControl& control : controls)
        ++counts[control.name];
    QStringList duplicates;
    for (auto count = counts.cbegin(); count != counts.cend(); ++count)
        if (count.value() > 1)
            duplicates.append(count.key());
    return duplicates;
}

QStringList LabelledBy(QObject* object) {
    QStringList captions;
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(object);
    if (!node)
        return captions;
    for (const auto& [label, relation] : node->relations(QAccessible::Label))
        captions.append(label->text(QAccessible::Name));
    return captions;
}

QString DumpTree(QWidget* window) {
    QString out;
    if (QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window))
        DumpNode(root, 0, out);
    return out;
}

AccessibilityEventLog::AccessibilityEventLog()
    : previous_(QAccessible::installUpdateHandler(&Record)) {
    Log().clear();
}

AccessibilityEventLog::~AccessibilityEventLog() {
    QAccessible::installUpdateHandler(previous_);
    Log().clear();
}

int AccessibilityEventLog::Count(QObject* object, QAccessible::Event type) const {
    return int(std::count_if(Log().cbegin(), Log().cend(), [&](const LoggedEvent& event) {
        return event.object == object && event.type == type;
    }));
}

void AccessibilityEventLog::Clear() {
    Log().clear();
}

QString NamingFaults(QWidget* window) {
    QStringList faults;
    const QList<AccessibleControl> controls = FocusableControls(window);
    if (controls.isEmpty())
        faults.append(QStringLiteral("no control the keyboard reaches"));
    for (const AccessibleControl& control : controls) {
        if (control.name.isEmpty())
            faults.append(QStringLiteral("%1 has no name").arg(control.objectName));
    }
    const QStringList alike = DuplicateNames(controls);
    if (!alike.isEmpty())
        faults.append(QStringLiteral("names carried twice: %1").arg(alike.join(u'|')));
    if (faults.isEmpty())
        return {};
    return faults.join(u'\n') + u'\n' + DumpTree(window);
}

void DeclareControlColumn() {
    QTest::addColumn<ExpectedControl>("expected");
}

void AddControlRow(const char* objectName, QAccessible::Role role, const QString& name,
                   const QString& label, const QString& accessKey) {
    QTest::newRow(objectName) << ExpectedControl{QString::fromLatin1(objectName), int(role), name,
                                                 label, accessKey};
}

QString ControlFaults(QWidget* window, const ExpectedControl& expected) {
    auto* widget = window->findChild<QWidget*>(expected.objectName);
    if (!widget)
        return QStringLiteral("no control %1").arg(expected.objectName);
    const AccessibleControl seen = Accessible(widget);
    QStringList faults;
    const auto compare = [&faults](const char* what, const QString& actual, const QString& wanted) {
        if (actual != wanted)
            faults.append(QStringLiteral("%1: \"%2\", expected \"%3\"")
                              .arg(QLatin1String(what), actual, wanted));
    };
    compare("role", QString::number(int(seen.role)), QString::number(expected.role));
    compare("name", seen.name, expected.name);
    compare("access key", seen.accelerator, expected.accessKey);
    if (!expected.label.isEmpty() && !LabelledBy(widget).contains(expected.label))
        faults.append(QStringLiteral("labelled by \"%1\", expected \"%2\"")
                          .arg(LabelledBy(widget).join(u'|'), expected.label));
    return faults.join(u'\n');
}

} // namespace tarnel::testing
