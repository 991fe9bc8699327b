// The about window as a screen reader reads it: its buttons and its pictures named.

#include "core/ProgramTexts.h"
#include "tests/support/AccessibleControls.h"
#include "tests/support/FakePlatform.h"
#include "ui/about/frmAbout.h"

#include <QPointer>
#include <QtTest>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

struct Harness {
    Harness()
        : window(new frmAbout(context, nullptr)) {}
    ~Harness() { delete window.data(); }

    ProgramTexts texts;
    FakePlatform platform;
    WindowContext context{texts, QString(), QStringLiteral("http://127.0.0.1:9/maps?q="),
                          platform.services};
    QPointer<frmAbout> window;
};

} // namespace

class frmAboutAccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyFocusableControlHasItsOwnName();
    void controls_data();
    void controls();
    void linksPressedByAssistiveTechnology();
};

void frmAboutAccessibilityTest::everyFocusableControlHasItsOwnName() {
    Harness harness;
    QCOMPARE(FocusableControls(harness.window).size(), 6);
    const QString faults = NamingFaults(harness.window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

// The links are labels that a click, Enter or Space opens: read as links named by their texts,
// the donation picture by what its tooltip offers.
void frmAboutAccessibilityTest::controls_data() {
    DeclareControlColumn();

    AddControlRow("cmdOK", QAccessible::Button, u"OK"_qs, {}, u"Enter"_qs);
    AddControlRow("cmdSysInfo", QAccessible::Button, u"Système Info..."_qs, {}, u"Alt+S"_qs);
    AddControlRow("Command1", QAccessible::Button, u"Détails..."_qs);
    AddControlRow("lblTitle", QAccessible::StaticText, u"Tarnel"_qs);
    AddControlRow("lblVersion", QAccessible::StaticText, u"Version 1.0.0"_qs);
    AddControlRow("lblDisclaimer", QAccessible::Link, u"E-Mail : contact@tarnel.example"_qs);
    AddControlRow("Label3", QAccessible::Link, u"URL : https://tarnel.example"_qs);
    AddControlRow("Image2", QAccessible::Link, u"Faire un don avec PayPal"_qs);
}

void frmAboutAccessibilityTest::controls() {
    QFETCH(ExpectedControl, expected);

    Harness harness;
    const QString faults = ControlFaults(harness.window, expected);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

void frmAboutAccessibilityTest::linksPressedByAssistiveTechnology() {
    Harness harness;
    for (const char* link : {"lblDisclaimer", "Label3", "Image2"}) {
        auto* label = harness.window->findChild<QWidget*>(QLatin1String(link));
        QVERIFY2(label, link);
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(label);
        QVERIFY2(view && view->actionInterface(), link);
        view->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    QStringList opened;
    for (const OpenedTarget& open : harness.platform.shell.opened)
        opened.append(open.target);
    QCOMPARE(opened, (QStringList{u"mailto:contact@tarnel.example"_qs, u"https://tarnel.example"_qs,
                                  u"https://tarnel.example/Don/Don.htm"_qs}));
}

QTEST_MAIN(frmAboutAccessibilityTest)
#include "frmAboutAccessibilityTest.moc"
