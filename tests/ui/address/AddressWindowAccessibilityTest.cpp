// The address window as a screen reader reads it: every box by its label, the picture buttons
// by their captions.

#include "core/ProgramTexts.h"
#include "tests/support/AccessibleControls.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/FakePlatform.h"
#include "ui/address/FRmChCoord.h"

#include <QPointer>
#include <QtTest>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

struct Harness {
    Harness()
        : window(new FRmChCoord(mainWindow, context, nullptr)) {}
    ~Harness() { delete window.data(); }

    ProgramTexts texts;
    FakePlatform platform;
    FakeMainWindow mainWindow;
    WindowContext context{texts, QString(), QStringLiteral("http://127.0.0.1:9/maps?q="),
                          platform.services};
    QPointer<FRmChCoord> window;
};

} // namespace

class AddressWindowAccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyFocusableControlHasItsOwnName();
    void controls_data();
    void controls();
};

void AddressWindowAccessibilityTest::everyFocusableControlHasItsOwnName() {
    Harness harness;
    const QString faults = NamingFaults(harness.window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

// Name, role, the label a box is tied to and the access key. The boxes keep their sample
// texts: the name is the label's, never the text typed.
void AddressWindowAccessibilityTest::controls_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("accessKey");

    const auto row = [](const char* control, QAccessible::Role role, const QString& name,
                        const QString& label = {}, const QString& key = {}) {
        QTest::newRow(control) << control << int(role) << name << label << key;
    };
    row("Street", QAccessible::EditableText, u"Adresse"_qs, u"Adresse :"_qs);
    row("Zip", QAccessible::EditableText, u"Code Postal"_qs, u"Code Postal :"_qs);
    row("City", QAccessible::EditableText, u"Commune"_qs, u"Commune : "_qs);
    row("State", QAccessible::EditableText, u"Pays"_qs, u"Pays :"_qs);
    row("Latitude", QAccessible::EditableText, u"Latitude"_qs, u"Latitude :"_qs);
    row("Longitude", QAccessible::EditableText, u"Longitude"_qs, u"Longitude :"_qs);
    row("Command5", QAccessible::Button, u"Copier l'adresse dans la fenêtre de navigation"_qs);
    row("AskGoogleButton", QAccessible::Button, u"Rechercher les coordonnées GPS de l'adresse"_qs);
    row("Command2", QAccessible::Button, u"Appliquer à la fenêtre de navigation"_qs);
    row("Command3", QAccessible::Button, u"Effacer"_qs);
    row("Command4", QAccessible::Button, u"Exporter"_qs);
    row("Command1", QAccessible::Button, u"Fermer"_qs, {}, u"Alt+F"_qs);
}

void AddressWindowAccessibilityTest::controls() {
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QFETCH(QString, label);
    QFETCH(QString, accessKey);

    Harness harness;
    const QString faults = ControlFaults(harness.window, {control, role, name, label, accessKey});
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

QTEST_MAIN(AddressWindowAccessibilityTest)
#include "AddressWindowAccessibilityTest.moc"
