#include "ui/conversion/FRM_Conv.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/FakePlatform.h"
#include "ui/common/Fonts.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

const QString kBase = QStringLiteral("http://127.0.0.1:9/maps?q=");

// What lives as long as the program, shared by the windows a test opens one after the other.
struct Program {
    ProgramTexts texts;
    FakePlatform platform;
    FakeMainWindow mainWindow;
    WindowContext context{texts, QString(), kBase, platform.services};
};

// One conversion window over a Program, shown as the main window shows it, and driven
// through its controls.
class Window {
public:
    explicit Window(Program& program)
        : window_(new FRM_Conv(program.mainWindow, program.context, nullptr)) {}
    ~Window() { delete window_.data(); }

    FRM_Conv* operator->() const { return window_.data(); }
    FRM_Conv* get() const { return window_.data(); }

    bool Show() {
        window_->show();
        return QTest::qWaitForWindowExposed(window_.data());
    }

    template <typename Control> Control* Find(const QString& name) const {
        auto* control = window_->findChild<Control*>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }
    QLineEdit* Box(const QString& name) const { return Find<QLineEdit>(name); }
    QString Caption(const QString& name) const { return Find<QLabel>(name)->text(); }
    bool Selected(const QString& name) const { return Find<QRadioButton>(name)->isChecked(); }

    // "Name=text" replaces a box's text by typing, any other step clicks the control it names.
    void Do(const QString& step) {
        const qsizetype equals = step.indexOf(u'=');
        if (equals >= 0) {
            QLineEdit* box = Box(step.left(equals));
            box->clear();
            QTest::keyClicks(box, step.mid(equals + 1));
            return;
        }
        Click(step);
    }
    void Click(const QString& name) {
        auto* button = Find<QAbstractButton>(name);
        QTest::mouseClick(button, Qt::LeftButton, {},
                          QPoint(button->width() / 4, button->height() / 2));
    }
    // The options selected, as their captions: "NE" at load.
    QString Hemispheres() const {
        QString selected;
        for (const char* name : {"Option1", "Option2", "Option3", "Option4"}) {
            const auto* option = Find<QRadioButton>(QLatin1String(name));
            if (option->isChecked())
                selected += option->text();
        }
        return selected;
    }

    // Closes as the user does, and lets the window go away.
    void Close() {
        Click(QStringLiteral("Command1"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool Alive() const { return !window_.isNull(); }

private:
    QPointer<FRM_Conv> window_;
};

} // namespace

class ConversionWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void startsEmptyWithNorthAndEastSelected();
    void focusIsOnCloseWhenShown();
    void tabOrder();
    void holdersLieOutsideTheClientArea();
    void controls_data();
    void controls();
    void firstPanel_data();
    void firstPanel();
    void secondPanel_data();
    void secondPanel();
    void applyDecimalResult();
    void applyBeforeAnyConversion();
    void conversionFailure_data();
    void conversionFailure();
    void keyFilter_data();
    void keyFilter();
    void enterAndEscapeTriggerNothing();
    void decimalInputFilledBeforeShowing();
    void navigationBeforeAnythingHandedOver();
    void reopeningKeepsWhatWasHandedOver();
    void captionsFit();
};

void ConversionWindowTest::initTestCase() {
    InstallFontSubstitutes();
}

void ConversionWindowTest::startsEmptyWithNorthAndEastSelected() {
    Program program;
    program.texts.decimalText = QStringLiteral("12.5");
    Window window(program);
    QCOMPARE(window.Hemispheres(), QStringLiteral("NE"));
    for (const char* name : {"T_DEG", "T_MIN", "T_SEC", "Txt_DEC"})
        QCOMPARE(window.Box(QLatin1String(name))->text(), QString());
    for (const char* name : {"Label5", "Lbl_DEG", "Lbl_MIN", "Lbl_SEC", "LAT", "LONG"})
        QCOMPARE(window.Caption(QLatin1String(name)), QString());
    QCOMPARE(window->windowTitle(), QStringLiteral("Utilitaire de conversion de coordonnées GPS"));
}

void ConversionWindowTest::focusIsOnCloseWhenShown() {
    Program program;
    Window window(program);
    QVERIFY(window.Show());
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget(), window.Find<QWidget>(QStringLiteral("Command1")));
}

void ConversionWindowTest::tabOrder() {
    Program program;
    Window window(program);
    QVERIFY(window.Show());
    QStringList order;
    auto* first = window.Find<QWidget>(QStringLiteral("Command1"));
    QWidget* widget = first;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(order,
             QStringList({"Command1", "T_DEG", "T_MIN", "T_SEC", "Command2", "Command3", "Command4",
                          "Txt_DEC", "Command5", "Command6", "Command7", "Option1", "Option2",
                          "Option3", "Option4", "Command8", "Command9", "Command10"}));
}

void ConversionWindowTest::holdersLieOutsideTheClientArea() {
    Program program;
    Window window(program);
    QVERIFY(window.Show());
    QCOMPARE(window->isSizeGripEnabled(), false);
    QCOMPARE(window->minimumSize(), window->maximumSize());
    for (const char* name : {"LAT", "LONG"})
        QVERIFY(window.Find<QLabel>(QLatin1String(name))->geometry().top() >= window->height());
}

void ConversionWindowTest::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<bool>("bold");

    const auto row = [](const char* name, const char* container, const QString& caption,
                        QRect twips, bool bold = false, qreal pointSize = 8.25) {
        QTest::newRow(name) << name << container << caption << twips << pointSize << bold;
    };
    row("Frame1", "FRM_Conv", QStringLiteral("Deg-Min-Sec > Décimal "), {120, 120, 2775, 3495},
        true);
    row("T_DEG", "Frame1", "", {240, 360, 495, 285});
    row("Label1", "Frame1", QStringLiteral("°"), {720, 360, 135, 255}, true, 13.5);
    row("T_MIN", "Frame1", "", {960, 360, 495, 285});
    row("Label2", "Frame1", "'", {1560, 360, 135, 255}, true, 13.5);
    row("T_SEC", "Frame1", "", {1800, 360, 495, 285});
    row("Label3", "Frame1", "''", {2400, 360, 135, 255}, true, 13.5);
    row("Command2", "Frame1", "Convertir", {240, 840, 2415, 375}, true);
    row("Label4", "Frame1", QStringLiteral("Décimal :"), {120, 1320, 735, 255});
    row("Label5", "Frame1", "", {960, 1320, 1695, 255});
    row("Command3", "Frame1", "Effacer", {120, 1590, 2535, 375});
    row("Command6", "Frame1", QStringLiteral("Appliquer à latitude"), {120, 2050, 1215, 615});
    row("Frame3", "Frame1", "", {1440, 1960, 1215, 700});
    // The options are wider than designed, to hold the style's larger indicator.
    row("Option1", "Frame3", "N", {120, 240, 600, 315});
    row("Option2", "Frame3", "S", {720, 240, 450, 315});
    row("Command4", "Frame1", QStringLiteral("Appliquer à longitude"), {120, 2760, 1215, 615});
    row("Frame4", "Frame1", "", {1440, 2650, 1215, 700});
    row("Option3", "Frame4", "E", {120, 240, 480, 375});
    row("Option4", "Frame4", "O", {600, 240, 495, 375});
    row("Frame2", "FRM_Conv", QStringLiteral("Décimal > Deg-Min-Sec "), {3000, 120, 3135, 3495},
        true);
    row("Label6", "Frame2", QStringLiteral("Décimal :"), {120, 360, 735, 255});
    row("Txt_DEC", "Frame2", "", {960, 360, 2055, 285});
    row("Command5", "Frame2", "Convertir", {240, 840, 2775, 375}, true);
    row("Lbl_DEG", "Frame2", "", {240, 1320, 495, 255});
    row("Label10", "Frame2", QStringLiteral("°"), {840, 1320, 135, 255}, true, 13.5);
    row("Lbl_MIN", "Frame2", "", {1200, 1320, 495, 255});
    row("Label11", "Frame2", "'", {1800, 1320, 135, 255}, true, 13.5);
    row("Lbl_SEC", "Frame2", "", {2040, 1320, 495, 255});
    row("Label12", "Frame2", "\"", {2640, 1320, 135, 255}, false, 13.5);
    row("Command7", "Frame2", "Effacer", {240, 1680, 2775, 315});
    row("Command8", "Frame2", QStringLiteral("Appliquer à latitude"), {240, 2040, 2775, 375});
    row("Command9", "Frame2", QStringLiteral("Appliquer à longitude"), {240, 2520, 2775, 375});
    row("Command10", "Frame2", QStringLiteral("Appliquer à la fenêtre de navigation"),
        {240, 3000, 2775, 375});
    row("Command1", "FRM_Conv", "&Fermer", {1680, 3720, 3255, 375}, true);
    row("LAT", "FRM_Conv", "", {360, 4680, 2415, 255});
    row("LONG", "FRM_Conv", "", {3720, 4680, 2415, 255});
}

void ConversionWindowTest::controls() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(qreal, pointSize);
    QFETCH(bool, bold);

    Program program;
    Window window(program);
    const TwipScale& scale = window->Scale();
    auto* control = window.Find<QWidget>(name);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QVERIFY(control->isEnabled());
    QCOMPARE(control->toolTip(), QString());
    QCOMPARE(control->font().pointSizeF(), pointSize);
    QCOMPARE(control->font().bold(), bold);
    const QRect design = scale.Rect(twips.x(), twips.y(), twips.width(), twips.height());
    if (pointSize > 8.25) {
        // The signs keep their place and may grow to show their larger glyphs whole.
        QCOMPARE(control->pos(), design.topLeft());
        QVERIFY(control->width() >= design.width() && control->height() >= design.height());
    } else {
        QCOMPARE(control->geometry(), design);
    }

    const bool result = name == u"Label5" || name.startsWith(u"Lbl_");
    if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        QCOMPARE(frame->title(), caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QCOMPARE(button->text(), caption);
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
        QCOMPARE(box->text(), caption);
        QCOMPARE(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(box->palette().color(QPalette::Base), QColor(192, 255, 192));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), caption);
        const bool bordered = result || name == u"LAT" || name == u"LONG";
        QCOMPARE(label->frameShape(), bordered ? QFrame::Box : QFrame::NoFrame);
        if (result) {
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
            QVERIFY(label->autoFillBackground());
            QCOMPARE(label->palette().color(QPalette::Window), QColor(192, 255, 255));
        } else if (name == u"Label4" || name == u"Label6") {
            QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        }
    } else {
        QFAIL("unexpected kind of control");
    }
}

// Steps on the first panel, with Label5 and the selected options after each step.
void ConversionWindowTest::firstPanel_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("hemispheres");
    QTest::addColumn<QString>("decimalText");

    const QStringList dms48 = {"T_DEG=48", "T_MIN=51", "T_SEC=24"};
    const QStringList dmsMinus2 = {"T_DEG=-2", "T_MIN=21", "T_SEC=7.92"};
    const QStringList dms48half = {"T_DEG=48", "T_MIN=30"};
    auto steps = [](QStringList typed, const QStringList& clicks) {
        return typed << clicks;
    };
    auto untouched = [](const QStringList& typed, const QStringList& after) {
        QStringList all(typed.size(), QString());
        return all << after;
    };
    auto same = [](const QStringList& typed, const QStringList& after) {
        QStringList all(typed.size(), QStringLiteral("NE"));
        return all << after;
    };

    QTest::newRow("positive result leaves the options")
        << steps(dms48, {"Command2"}) << untouched(dms48, {"48.8566667"}) << same(dms48, {"NE"})
        << "48.8566667";
    QTest::newRow("negative result selects S and O, label kept")
        << steps(dmsMinus2, {"Command2"}) << untouched(dmsMinus2, {"-2.3522"})
        << same(dmsMinus2, {"SO"}) << "-2.3522";
    QTest::newRow("negative zero degrees")
        << steps({"T_DEG=-0", "T_MIN=30"}, {"Command2"}) << QStringList{"", "", "-0.5"}
        << QStringList{"NE", "NE", "SO"} << "-0.5";
    QTest::newRow("N then S on a negative result")
        << steps(dmsMinus2, {"Command2", "Option1", "Option2"})
        << untouched(dmsMinus2, {"-2.3522", "2.3522", "-2.3522"})
        << same(dmsMinus2, {"SO", "NO", "SO"}) << "-2.3522";
    QTest::newRow("O then E rewrites with seven digits")
        << steps(dms48, {"Command2", "Option4", "Option3"})
        << untouched(dms48, {"48.8566667", "-48.8566667", "48.85667"})
        << same(dms48, {"NE", "NO", "NE"}) << "48.85667";
    QTest::newRow("S brings the cleared result back negated")
        << steps(dms48half, {"Command2", "Command3", "Option2"})
        << untouched(dms48half, {"48.5", "", "-48.5"}) << same(dms48half, {"NE", "NE", "SE"})
        << "-48.5";
    QTest::newRow("clear with S selected, then N gives 0")
        << steps(dms48half, {"Option2", "Command2", "Command3", "Option1"})
        << untouched(dms48half, {"", "48.5", "", "0"}) << same(dms48half, {"SE", "SE", "SE", "NE"})
        << "0";
    QTest::newRow("later positive result leaves S and O")
        << steps(dmsMinus2, {"Command2", "T_DEG=48", "Command2"})
        << untouched(dmsMinus2, {"-2.3522", "-2.3522", "48.3522"})
        << same(dmsMinus2, {"SO", "SO", "SO"}) << "48.3522";
    const QStringList dmsTenthOfSecond = {"T_DEG=0", "T_MIN=0", "T_SEC=.1"};
    QTest::newRow("S then N on a tenth of a second, positional")
        << steps(dmsTenthOfSecond, {"Command2", "Option2", "Option1"})
        << untouched(dmsTenthOfSecond, {"0.00002777778", "-0.00002777778", ".00002777778"})
        << same(dmsTenthOfSecond, {"NE", "SE", "NE"}) << ".00002777778";
    const QStringList dmsMinusHundredth = {"T_DEG=-0", "T_MIN=0", "T_SEC=.01"};
    QTest::newRow("E on a negative hundredth of a second, positional")
        << steps(dmsMinusHundredth, {"Command2", "Option3"})
        << untouched(dmsMinusHundredth, {"-0.000002777778", ".000002777778"})
        << same(dmsMinusHundredth, {"SO", "SE"}) << ".000002777778";
    QTest::newRow("clear leaves the options")
        << steps(dmsMinus2, {"Command2", "Command3"}) << untouched(dmsMinus2, {"-2.3522", ""})
        << same(dmsMinus2, {"SO", "SO"}) << "-2.3522";
}

void ConversionWindowTest::firstPanel() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, hemispheres);
    QFETCH(QString, decimalText);

    Program program;
    Window window(program);
    QVERIFY(window.Show());
    for (qsizetype i = 0; i < steps.size(); ++i) {
        window.Do(steps[i]);
        QVERIFY2(window.Caption(QStringLiteral("Label5")) == labels[i], qPrintable(steps[i]));
        QVERIFY2(window.Hemispheres() == hemispheres[i], qPrintable(steps[i]));
        if (steps[i] == QStringLiteral("Command3")) {
            for (const char* name : {"T_DEG", "T_MIN", "T_SEC"})
                QCOMPARE(window.Box(QLatin1String(name))->text(), QString());
        }
    }
    QCOMPARE(program.texts.decimalText, decimalText);
    QVERIFY(program.platform.messages.shown.isEmpty());
}

void ConversionWindowTest::secondPanel_data() {
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("handedOver");

    QTest::newRow("one second lost to single precision")
        << "48.8566667" << QStringList{" 48", " 51", " 23"} << "48°51'23\"";
    QTest::newRow("seven digits") << "48.85667" << QStringList{" 48", " 51", " 24"} << "48°51'24\"";
    QTest::newRow("negative") << "-2.3522" << QStringList{"-2", " 21", " 7"} << "-2°21'7\"";
    QTest::newRow("negative below one degree")
        << "-.5" << QStringList{"-0", " 30", " 0"} << "-0°30'0\"";
    QTest::newRow("empty reads 0") << "" << QStringList{" 0", " 0", " 0"} << "0°0'0\"";
    QTest::newRow("degrees truncated from the full reading")
        << "48.999999" << QStringList{" 48", " 60", " 0"} << "48°60'0\"";
}

void ConversionWindowTest::secondPanel() {
    QFETCH(QString, decimal);
    QFETCH(QStringList, captions);
    QFETCH(QString, handedOver);

    Program program;
    Window window(program);
    QVERIFY(window.Show());
    window.Do(QStringLiteral("Txt_DEC=") + decimal);
    window.Click(QStringLiteral("Command5"));
    QCOMPARE((QStringList{window.Caption(QStringLiteral("Lbl_DEG")),
                          window.Caption(QStringLiteral("Lbl_MIN")),
                          window.Caption(QStringLiteral("Lbl_SEC"))}),
             captions);

    window.Click(QStringLiteral("Command8"));
    QCOMPARE(program.mainWindow.boxes.value(MainBox::Latitude), handedOver);
    QCOMPARE(window.Caption(QStringLiteral("LAT")), handedOver);
    QCOMPARE(program.texts.savedLatitudeText, handedOver);
    QVERIFY(!program.mainWindow.boxes.contains(MainBox::Longitude));

    window.Click(QStringLiteral("Command9"));
    QCOMPARE(program.mainWindow.boxes.value(MainBox::Longitude), handedOver);
    QCOMPARE(window.Caption(QStringLiteral("LONG")), handedOver);
    QCOMPARE(program.texts.savedLongitudeText, handedOver);

    window.Click(QStringLiteral("Command7"));
    for (const char* name : {"Lbl_DEG", "Lbl_MIN", "Lbl_SEC"})
        QCOMPARE(window.Caption(QLatin1String(name)), QString());
    QCOMPARE(window.Box(QStringLiteral("Txt_DEC"))->text(), QString());
    QCOMPARE(window.Caption(QStringLiteral("LAT")), handedOver);

    QCOMPARE(program.mainWindow.searches, 0);
    QVERIFY(program.mainWindow.navigated.isEmpty());
    QVERIFY(program.platform.messages.shown.isEmpty());
}

void ConversionWindowTest::applyDecimalResult() {
    Program program;
    Window window(program);
    QVERIFY(window.Show());
    for (const char* step : {"T_DEG=48", "T_MIN=51", "T_SEC=24", "Command2", "Command6"})
        window.Do(QLatin1String(step));
    QCOMPARE(program.mainWindow.boxes.value(MainBox::Latitude), QStringLiteral("48.8566667"));
    QVERIFY(!program.mainWindow.boxes.contains(MainBox::Longitude));

    window.Do(QStringLiteral("Option4"));
    window.Do(QStringLiteral("Command4"));
    QCOMPARE(program.mainWindow.boxes.value(MainBox::Longitude), QStringLiteral("-48.8566667"));
    QCOMPARE(program.mainWindow.boxes.value(MainBox::Latitude), QStringLiteral("48.8566667"));

    // The decimal results never become the held texts of the navigation command.
    QCOMPARE(window.Caption(QStringLiteral("LAT")), QString());
    QCOMPARE(program.texts.savedLatitudeText, QString());
    QCOMPARE(program.mainWindow.searches, 0);
    QVERIFY(program.mainWindow.navigated.isEmpty());
}

void ConversionWindowTest::applyBeforeAnyConversion() {
    Program program;
    Window window(program);
    QVERIFY(window.Show());
    window.Click(QStringLiteral("Command9"));
    const QString symbolsAlone = QStringLiteral("°'\"");
    QCOMPARE(program.mainWindow.boxes.value(MainBox::Longitude), symbolsAlone);
    QCOMPARE(window.Caption(QStringLiteral("LONG")), symbolsAlone);
    QCOMPARE(program.texts.savedLongitudeText, symbolsAlone);

    window.Click(QStringLiteral("Command6"));
    QCOMPARE(program.mainWindow.boxes.value(MainBox::Latitude), QString());
    QVERIFY(program.mainWindow.boxes.contains(MainBox::Latitude));
}

// A text the key filter would refuse reaches a box as the main window or a paste puts it there.
void ConversionWindowTest::conversionFailure_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("convert");
    QTest::addColumn<QString>("message");

    const QString dmsFailure = QStringLiteral("Erreur de coordonnées ou paramètres incorrects !");
    const QString decimalFailure = QStringLiteral("Calcul impossible ou erreur de données !");
    QTest::newRow("degrees beyond double") << "T_DEG"
                                           << "1E309"
                                           << "Command2" << dmsFailure;
    QTest::newRow("minutes beyond double") << "T_MIN"
                                           << "1E309"
                                           << "Command2" << dmsFailure;
    QTest::newRow("seconds beyond single") << "T_SEC"
                                           << "1E39"
                                           << "Command2" << dmsFailure;
    QTest::newRow("decimal beyond single") << "Txt_DEC"
                                           << "1E39"
                                           << "Command5" << decimalFailure;
    QTest::newRow("decimal beyond double") << "Txt_DEC"
                                           << "-1E309"
                                           << "Command5" << decimalFailure;
}

void ConversionWindowTest::conversionFailure() {
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(QString, convert);
    QFETCH(QString, message);

    Program program;
    Window window(program);
    QVERIFY(window.Show());
    // A first good conversion in each panel, whose results the failure must leave in place.
    for (const char* step :
         {"T_DEG=-2", "T_MIN=21", "T_SEC=7.92", "Command2", "Txt_DEC=-2.3522", "Command5"})
        window.Do(QLatin1String(step));
    const QStringList before = {window.Caption(QStringLiteral("Label5")),
                                window.Caption(QStringLiteral("Lbl_DEG")),
                                window.Caption(QStringLiteral("Lbl_MIN")),
                                window.Caption(QStringLiteral("Lbl_SEC")),
                                program.texts.decimalText,
                                window.Hemispheres()};
    QCOMPARE(before, QStringList({"-2.3522", "-2", " 21", " 7", "-2.3522", "SO"}));
    window.Do(QStringLiteral("Option1"));
    window.Do(QStringLiteral("Option3"));

    window.Box(box)->setText(text);
    window.Click(convert);

    QCOMPARE(program.platform.messages.shown.size(), 1);
    const ShownMessage shown = program.platform.messages.shown.first();
    QCOMPARE(shown.text, message);
    QCOMPARE(shown.title, QStringLiteral("Erreur"));
    QCOMPARE(shown.icon, MessageIcon::Critical);
    QCOMPARE((QStringList{window.Caption(QStringLiteral("Label5")),
                          window.Caption(QStringLiteral("Lbl_DEG")),
                          window.Caption(QStringLiteral("Lbl_MIN")),
                          window.Caption(QStringLiteral("Lbl_SEC")), program.texts.decimalText,
                          window.Hemispheres()}),
             QStringList({"2.3522", "-2", " 21", " 7", "2.3522", "NE"}));
}

void ConversionWindowTest::keyFilter_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");

    for (const char* box : {"T_DEG", "T_MIN", "T_SEC", "Txt_DEC"}) {
        const QByteArray name(box);
        QTest::newRow((name + " comma").constData()) << box << "48,5"
                                                     << "485";
        QTest::newRow((name + " blank").constData()) << box << "4 8"
                                                     << "48";
        QTest::newRow((name + " letters").constData()) << box << "4a8E"
                                                       << "48";
        QTest::newRow((name + " signs and points anywhere").constData()) << box << "4-.-5"
                                                                         << "4-.-5";
        QTest::newRow((name + " all allowed").constData()) << box << "-0123456789."
                                                           << "-0123456789.";
    }
    QTest::newRow("degree sign") << "T_DEG"
                                 << "48°"
                                 << "48";
    QTest::newRow("plus sign") << "Txt_DEC"
                               << "+2"
                               << "2";
}

void ConversionWindowTest::keyFilter() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, kept);

    Program program;
    Window window(program);
    QVERIFY(window.Show());
    QLineEdit* edit = window.Box(box);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), kept);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), kept.chopped(1));
}

void ConversionWindowTest::enterAndEscapeTriggerNothing() {
    Program program;
    Window window(program);
    QVERIFY(window.Show());
    for (const char* step : {"T_DEG=48", "T_MIN=30", "Txt_DEC=1.5"})
        window.Do(QLatin1String(step));
    for (const char* box : {"T_DEG", "T_MIN", "T_SEC", "Txt_DEC"}) {
        QTest::keyClick(window.Box(QLatin1String(box)), Qt::Key_Return);
        QTest::keyClick(window.Box(QLatin1String(box)), Qt::Key_Enter);
        QTest::keyClick(window.Box(QLatin1String(box)), Qt::Key_Escape);
    }
    QCOMPARE(window.Caption(QStringLiteral("Label5")), QString());
    QCOMPARE(window.Caption(QStringLiteral("Lbl_DEG")), QString());
    QCOMPARE(window.Box(QStringLiteral("T_DEG"))->text(), QStringLiteral("48"));
    QVERIFY(window.Alive());
    QVERIFY(window->isVisible());
    QCOMPARE(program.texts.decimalText, QString());
}

void ConversionWindowTest::decimalInputFilledBeforeShowing() {
    Program program;
    Window window(program);
    // The main window's copy buttons fill the box of a window not shown yet; no filter applies.
    window->FillDecimalInput(QStringLiteral("x"));
    window->FillDecimalInput(QStringLiteral("48,8566"));
    QVERIFY(window.Show());
    QCOMPARE(window.Box(QStringLiteral("Txt_DEC"))->text(), QStringLiteral("48,8566"));
    window.Click(QStringLiteral("Command5"));
    QCOMPARE(window.Caption(QStringLiteral("Lbl_DEG")), QStringLiteral(" 48"));
    QCOMPARE(window.Caption(QStringLiteral("Lbl_MIN")), QStringLiteral(" 0"));
}

void ConversionWindowTest::navigationBeforeAnythingHandedOver() {
    Program program;
    Window window(program);
    QVERIFY(window.Show());
    window.Click(QStringLiteral("Command10"));
    QCOMPARE(program.mainWindow.navigated, QStringList{kBase + QStringLiteral("%2C")});
    QVERIFY(program.mainWindow.boxes.isEmpty());
    QCOMPARE(program.mainWindow.searches, 0);
}

void ConversionWindowTest::reopeningKeepsWhatWasHandedOver() {
    Program program;
    const QString latitude = QStringLiteral("48°51'23\"");
    const QString longitude = QStringLiteral("2°21'7\"");
    {
        Window window(program);
        QVERIFY(window.Show());
        for (const char* step :
             {"Txt_DEC=48.8566667", "Command5", "Command8", "Txt_DEC=2.3522", "Command5",
              "Command9", "T_DEG=-2", "T_MIN=21", "Command2", "Command10"})
            window.Do(QLatin1String(step));
        QCOMPARE(program.mainWindow.navigated,
                 QStringList{kBase + latitude + QStringLiteral("%2C") + longitude});
        window.Close();
        QVERIFY(!window.Alive());
    }
    Window reopened(program);
    QVERIFY(reopened.Show());
    QCOMPARE(reopened.Caption(QStringLiteral("LAT")), latitude);
    QCOMPARE(reopened.Caption(QStringLiteral("LONG")), longitude);
    for (const char* name : {"T_DEG", "T_MIN", "T_SEC", "Txt_DEC"})
        QCOMPARE(reopened.Box(QLatin1String(name))->text(), QString());
    for (const char* name : {"Label5", "Lbl_DEG", "Lbl_MIN", "Lbl_SEC"})
        QCOMPARE(reopened.Caption(QLatin1String(name)), QString());
    QCOMPARE(reopened.Hemispheres(), QStringLiteral("NE"));

    reopened.Click(QStringLiteral("Command10"));
    QCOMPARE(program.mainWindow.navigated.size(), 2);
    QCOMPARE(program.mainWindow.navigated.last(), program.mainWindow.navigated.first());

    // The last decimal result survives too: "S" brings it back into the empty label.
    reopened.Click(QStringLiteral("Option2"));
    QCOMPARE(reopened.Caption(QStringLiteral("Label5")), QStringLiteral("-2.35"));
}

void ConversionWindowTest::captionsFit() {
    Program program;
    program.texts.savedLatitudeText = QStringLiteral("-122°25'9\"");
    program.texts.savedLongitudeText = QStringLiteral("-122°25'9\"");
    Window window(program);
    QVERIFY(window.Show());
    // The widest results the panels show for a coordinate.
    for (const char* step :
         {"T_DEG=-122", "T_MIN=3", "T_SEC=1", "Command2", "Txt_DEC=-122.4194", "Command5"})
        window.Do(QLatin1String(step));
    QCOMPARE(window.Caption(QStringLiteral("Label5")), QStringLiteral("-122.05027778"));
    const QStringList misfits = CaptionsThatDoNotFit(window.get());
    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral(" | "))));
}

QTEST_MAIN(ConversionWindowTest)
#include "FRM_ConvTest.moc"
