// The main window as a screen reader reads it: every control named, each box by its label.

#include "core/ProgramTexts.h"
#include "tests/support/AccessibleControls.h"
#include "tests/support/FakePlatform.h"
#include "ui/main/frmMap.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

const QString kBase = QStringLiteral("http://maps.test/maps?q=");

struct Harness {
    explicit Harness(const QByteArray& lastPosition = {}) {
        if (!lastPosition.isEmpty()) {
            QFile file(dir.filePath(QStringLiteral("SavDerPos.ini")));
            if (file.open(QIODevice::WriteOnly))
                file.write(lastPosition);
        }
        view = new FakeMapView;
        window = std::make_unique<frmMap>(context, view);
    }

    QTemporaryDir dir;
    ProgramTexts texts;
    FakePlatform platform;
    WindowContext context{texts, dir.path(), kBase, platform.services};
    FakeMapView* view = nullptr;
    std::unique_ptr<frmMap> window;
};

} // namespace

class frmMapAccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyFocusableControlHasItsOwnName();
    void controls_data();
    void controls();
    void mapDescribedByThePlaceShown_data();
    void mapDescribedByThePlaceShown();
};

void frmMapAccessibilityTest::initTestCase() {
    QVERIFY(ActivateAccessibility());
}

void frmMapAccessibilityTest::everyFocusableControlHasItsOwnName() {
    Harness harness;
    const QString faults = NamingFaults(harness.window.get());
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

// Name, role, the label a box is tied to and the access key, control by control: the boxes by
// their labels, the "..." by what they copy. Tying labels to boxes must add no access key.
void frmMapAccessibilityTest::controls_data() {
    DeclareControlColumn();

    const auto box = [](const char* control, const QString& name, const QString& label) {
        AddControlRow(control, QAccessible::EditableText, name, label);
    };
    box("txtStreet", u"Rue"_qs, u"Rue :"_qs);
    box("txtCity", u"Commune"_qs, u"Commune :"_qs);
    box("txtZipCode", u"Code Postal"_qs, u"Code Postal :"_qs);
    box("txtState", u"Pays"_qs, u"Pays :"_qs);
    box("txtLat", u"Latitude"_qs, u"Latitude :"_qs);
    box("txtLong", u"Longitude"_qs, u"Longitude :"_qs);

    const auto button = [](const char* control, const QString& name, const QString& key = {}) {
        AddControlRow(control, QAccessible::Button, name, {}, key);
    };
    button("Command3", u"Rechercher avec l'adresse"_qs);
    button("Command8", u"Copier l'adresse dans la fenêtre de recherche des coordonnées"_qs);
    button("Command4", u"Rechercher par coordonnées"_qs);
    button("Command9", u"Copier la latitude dans la fenêtre de conversion"_qs);
    button("Command10", u"Copier la longitude dans la fenêtre de conversion"_qs);
    button("Command1", u"Conversion coordonnées GPS"_qs, u"Alt+C"_qs);
    button("Command6", u"Rechercher coordonnées GPS"_qs);
    button("Command2", u"A propos"_qs, u"Alt+A"_qs);
    button("Command7", u"Aide"_qs);
    button("Command5", u"Quitter"_qs, u"Alt+Q"_qs);
    AddControlRow("WebBrowser1", QAccessible::Client, u"Carte"_qs);
}

void frmMapAccessibilityTest::controls() {
    QFETCH(ExpectedControl, expected);

    Harness harness;
    const QString faults = ControlFaults(harness.window.get(), expected);
    QVERIFY2(faults.isEmpty(), qPrintable(faults));
}

// The map is described by the place of its last navigation, whichever command made it.
void frmMapAccessibilityTest::mapDescribedByThePlaceShown_data() {
    QTest::addColumn<QByteArray>("lastPosition");
    QTest::addColumn<QStringList>("typed"); // box=text
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("changeReported"); // after the start

    QTest::newRow("first start") << QByteArray() << QStringList() << QString() << QString()
                                 << false;
    QTest::newRow("last position") << QByteArray("\"48.8584,2.2945\"\r\n") << QStringList()
                                   << QString() << u"48.8584,2.2945"_qs << false;
    QTest::newRow("address search")
        << QByteArray() << QStringList{"txtStreet=1 rue X", "txtCity=Paris", "txtState=FRANCE"}
        << u"Command3"_qs << u"1 rue X, Paris, FRANCE, "_qs << true;
    QTest::newRow("coordinate search")
        << QByteArray("\"Paris\"\r\n") << QStringList{"txtLat=48.8584", "txtLong=2.2945"}
        << u"Command4"_qs << u"48.8584,2.2945"_qs << true;
    QTest::newRow("refused search keeps the place")
        << QByteArray("\"Paris\"\r\n") << QStringList{"txtLat=48.8584"} << u"Command4"_qs
        << u"Paris"_qs << false;
}

void frmMapAccessibilityTest::mapDescribedByThePlaceShown() {
    QFETCH(QByteArray, lastPosition);
    QFETCH(QStringList, typed);
    QFETCH(QString, search);
    QFETCH(QString, description);
    QFETCH(bool, changeReported);

    Harness harness(lastPosition);
    AccessibilityEventLog events;
    for (const QString& entry : typed) {
        const QStringList parts = entry.split(u'=');
        harness.window->findChild<QLineEdit*>(parts[0])->setText(parts[1]);
    }
    if (!search.isEmpty())
        harness.window->findChild<QPushButton*>(search)->click();

    const AccessibleControl map = Accessible(harness.view);
    QCOMPARE(map.name, u"Carte"_qs);
    QCOMPARE(map.description, description);
    QCOMPARE(events.Count(harness.view, QAccessible::DescriptionChanged) > 0, changeReported);
}

QTEST_MAIN(frmMapAccessibilityTest)
#include "frmMapAccessibilityTest.moc"
