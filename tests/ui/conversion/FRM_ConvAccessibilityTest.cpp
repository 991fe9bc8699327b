// The conversion window as a screen reader reads it: every control named, results announced
// with their meaning and value, the holders of the texts handed over not presented at all.

#include "core/ProgramTexts.h"
#include "tests/support/AccessibleControls.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/FakePlatform.h"
#include "ui/conversion/FRM_Conv.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

struct Harness {
    Harness()
        : window(new FRM_Conv(mainWindow, context, nullptr)) {}
    ~Harness() { delete window.data(); }

    template <typename Control = QWidget> Control* Find(const QString& name) const {
        return window->findChild<Control*>(name);
    }
    // "Name=text" types into a box; any other step clicks the control it names.
    void Do(const QString& step) const {
        const qsizetype equals = step.indexOf(u'=');
        if (equals < 0) {
            Find<QAbstractButton>(step)->click();
            return;
        }
        QLineEdit* box = Find<QLineEdit>(step.left(equals));
        box->clear();
        QTest::keyClicks(box, step.mid(equals + 1));
    }

    ProgramTexts texts;
    FakePlatform platform;
    FakeMainWindow mainWindow;
    WindowContext context{texts, QString(), QStringLiteral("http://maps.test/maps?q="),
                          platform.services};
    QPointer<FRM_Conv> window;
};

} // namespace

class FRM_ConvAccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyFocusableControlHasItsOwnName();
    void controls_data();
    void controls();
    void results_data();
    void results();
    void holdersNotPresented();
};

void FRM_ConvAccessibilityTest::initTestCase() {
    QVERIFY(ActivateAccessibility());
}

void FRM_ConvAccessibilityTest::everyFocusableControlHasItsOwnName() {
    Harness harness;
    const QString faults = NamingFaults(harness.window);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

// The input boxes by the meaning of what they take, the buttons of the two panels, which share
// their captions, by the conversion they serve, the hemispheres by their full names. Only
// "&Fermer" has an access key.
void FRM_ConvAccessibilityTest::controls_data() {
    DeclareControlColumn();

    AddControlRow("Command1", QAccessible::Button, u"Fermer"_qs, {}, u"Alt+F"_qs);
    AddControlRow("T_DEG", QAccessible::EditableText, u"Degrés"_qs);
    AddControlRow("T_MIN", QAccessible::EditableText, u"Minutes"_qs);
    AddControlRow("T_SEC", QAccessible::EditableText, u"Secondes"_qs);
    AddControlRow("Txt_DEC", QAccessible::EditableText, u"Décimal"_qs, u"Décimal :"_qs);
    AddControlRow("Command2", QAccessible::Button, u"Convertir en décimal"_qs);
    AddControlRow("Command3", QAccessible::Button, u"Effacer la conversion en décimal"_qs);
    AddControlRow("Command6", QAccessible::Button, u"Appliquer à latitude le résultat décimal"_qs);
    AddControlRow("Command4", QAccessible::Button, u"Appliquer à longitude le résultat décimal"_qs);
    AddControlRow("Command5", QAccessible::Button, u"Convertir en degrés, minutes, secondes"_qs);
    AddControlRow("Command7", QAccessible::Button,
                  u"Effacer la conversion en degrés, minutes, secondes"_qs);
    AddControlRow("Command8", QAccessible::Button,
                  u"Appliquer à latitude les degrés, minutes, secondes"_qs);
    AddControlRow("Command9", QAccessible::Button,
                  u"Appliquer à longitude les degrés, minutes, secondes"_qs);
    AddControlRow("Command10", QAccessible::Button, u"Appliquer à la fenêtre de navigation"_qs);
    AddControlRow("Option1", QAccessible::RadioButton, u"Nord"_qs);
    AddControlRow("Option2", QAccessible::RadioButton, u"Sud"_qs);
    AddControlRow("Option3", QAccessible::RadioButton, u"Est"_qs);
    AddControlRow("Option4", QAccessible::RadioButton, u"Ouest"_qs);
    AddControlRow("Frame3", QAccessible::Grouping, u"Hémisphère de la latitude"_qs);
    AddControlRow("Frame4", QAccessible::Grouping, u"Hémisphère de la longitude"_qs);
}

void FRM_ConvAccessibilityTest::controls() {
    QFETCH(ExpectedControl, expected);

    Harness harness;
    const QString faults = ControlFaults(harness.window, expected);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

// Each result label after the steps: its announced name, and whether its change was reported.
void FRM_ConvAccessibilityTest::results_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("changeReported");

    const QStringList dms = {"T_DEG=48", "T_MIN=51", "T_SEC=24", "Command2"};
    const QStringList decimal = {"Txt_DEC=48.8566667", "Command5"};
    QTest::newRow("decimal empty")
        << QStringList() << u"Label5"_qs << u"Résultat décimal"_qs << false;
    QTest::newRow("decimal converted")
        << dms << u"Label5"_qs << u"Résultat décimal : 48.8566667"_qs << true;
    QTest::newRow("decimal negated by the south") << (QStringList(dms) << "Option2") << u"Label5"_qs
                                                  << u"Résultat décimal : -48.8566667"_qs << true;
    QTest::newRow("decimal cleared")
        << (QStringList(dms) << "Command3") << u"Label5"_qs << u"Résultat décimal"_qs << true;
    QTest::newRow("degrees empty") << QStringList() << u"Lbl_DEG"_qs << u"Degrés"_qs << false;
    QTest::newRow("degrees converted") << decimal << u"Lbl_DEG"_qs << u"Degrés : 48"_qs << true;
    QTest::newRow("minutes converted") << decimal << u"Lbl_MIN"_qs << u"Minutes : 51"_qs << true;
    QTest::newRow("seconds converted") << decimal << u"Lbl_SEC"_qs << u"Secondes : 23"_qs << true;
    QTest::newRow("seconds cleared")
        << (QStringList(decimal) << "Command7") << u"Lbl_SEC"_qs << u"Secondes"_qs << true;
    QTest::newRow("other panel leaves it") << dms << u"Lbl_DEG"_qs << u"Degrés"_qs << false;
}

void FRM_ConvAccessibilityTest::results() {
    QFETCH(QStringList, steps);
    QFETCH(QString, result);
    QFETCH(QString, name);
    QFETCH(bool, changeReported);

    Harness harness;
    AccessibilityEventLog events;
    for (const QString& step : steps)
        harness.Do(step);

    auto* label = harness.Find<QLabel>(result);
    const AccessibleControl seen = Accessible(label);
    QCOMPARE(seen.role, QAccessible::StaticText);
    QCOMPARE(seen.name, name);
    QCOMPARE(events.Count(label, QAccessible::NameChanged) > 0, changeReported);
    QCOMPARE(harness.platform.messages.shown.size(), 0);
}

void FRM_ConvAccessibilityTest::holdersNotPresented() {
    Harness harness;
    harness.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(harness.window));
    for (const char* name : {"LAT", "LONG"}) {
        QAccessibleInterface* holder =
            QAccessible::queryAccessibleInterface(harness.Find(QLatin1String(name)));
        QVERIFY(holder);
        QVERIFY2(holder->state().invisible, name);
    }
    // Everything else the window holds is shown.
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(harness.window.data());
    for (int i = 0; i < window->childCount(); ++i) {
        QAccessibleInterface* child = window->child(i);
        const QString name = child->object()->objectName();
        QCOMPARE(child->state().invisible, name == u"LAT" || name == u"LONG");
    }
}

QTEST_MAIN(FRM_ConvAccessibilityTest)
#include "FRM_ConvAccessibilityTest.moc"
