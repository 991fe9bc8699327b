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
    DeclareControlColumn();

    AddControlRow("Street", QAccessible::EditableText, u"Adresse"_qs, u"Adresse :"_qs);
    AddControlRow("Zip", QAccessible::EditableText, u"Code Postal"_qs, u"Code Postal :"_qs);
    AddControlRow("City", QAccessible::EditableText, u"Commune"_qs, u"Commune : "_qs);
    AddControlRow("State", QAccessible::EditableText, u"Pays"_qs, u"Pays :"_qs);
    AddControlRow("Latitude", QAccessible::EditableText, u"Latitude"_qs, u"Latitude :"_qs);
    AddControlRow("Longitude", QAccessible::EditableText, u"Longitude"_qs, u"Longitude :"_qs);
    AddControlRow("Command5", QAccessible::Button,
                  u"Copier l'adresse dans la fenêtre de navigation"_qs);
    AddControlRow("AskGoogleButton", QAccessible::Button,
                  u"Rechercher les coordonnées GPS de l'adresse"_qs);
    AddControlRow("Command2", QAccessible::Button, u"Appliquer à la fenêtre de navigation"_qs);
    AddControlRow("Command3", QAccessible::Button, u"Effacer"_qs);
    AddControlRow("Command4", QAccessible::Button, u"Exporter"_qs);
    AddControlRow("Command1", QAccessible::Button, u"Fermer"_qs, {}, u"Alt+F"_qs);
}

void AddressWindowAccessibilityTest::controls() {
    QFETCH(ExpectedControl, expected);

    Harness harness;
    const QString faults = ControlFaults(harness.window, expected);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

QTEST_MAIN(AddressWindowAccessibilityTest)
#include "AddressWindowAccessibilityTest.moc"
