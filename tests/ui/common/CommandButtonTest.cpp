#include "ui/common/CommandButton.h"
#include "ui/common/Controls.h"
#include "ui/common/Fonts.h"

#include <QSignalSpy>
#include <QTest>

using namespace tarnel;

class CommandButtonTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void tallButtonsSetTheirCaptionOnTwoLines_data();
    void tallButtonsSetTheirCaptionOnTwoLines();
    void enterPressesTheFocusedButton();
};

void CommandButtonTest::tallButtonsSetTheirCaptionOnTwoLines_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("widthTwips");
    QTest::addColumn<int>("heightTwips");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("lines");

    QTest::newRow("tall, too wide for one line, regular")
        << "Appliquer à latitude" << 1215 << 615 << false << "Appliquer à latitude" << 2;
    QTest::newRow("tall, caption that fits on one line")
        << "Copier l'adresse dans la fenêtre de navigation" << 3735 << 615 << true
        << "Copier l'adresse dans la\nfenêtre de navigation" << 2;
    QTest::newRow("tall, long last word") << "à anticonstitutionnellement" << 2775 << 615 << false
                                          << "à\nanticonstitutionnellement" << 2;
    QTest::newRow("tall, too wide for one line")
        << "Rechercher les coordonnées GPS de l'adresse" << 2775 << 615 << true
        << "Rechercher les coordonnées GPS de l'adresse" << 2;
    QTest::newRow("one line high")
        << "Rechercher avec l'adresse" << 2535 << 375 << true << "Rechercher avec l'adresse" << 1;
    QTest::newRow("tall, one word") << "Convertir" << 2415 << 615 << true << "Convertir" << 1;
    QTest::newRow("access key not measured") << "&Conversion coordonnées GPS" << 2775 << 615 << true
                                             << "&Conversion coordonnées\nGPS" << 2;
}

void CommandButtonTest::tallButtonsSetTheirCaptionOnTwoLines() {
    QFETCH(QString, caption);
    QFETCH(int, widthTwips);
    QFETCH(int, heightTwips);
    QFETCH(bool, bold);
    QFETCH(QString, shown);
    QFETCH(int, lines);

    QWidget window;
    const TwipScale scale(96);
    CommandButton* button = AddButton(&window, scale, QStringLiteral("button"), caption,
                                      {0, 0, widthTwips, heightTwips}, bold);
    QCOMPARE(button->DisplayedCaption(), shown);
    QCOMPARE(button->text(), caption);
    const QFontMetrics metrics(button->font());
    const QRect drawn = metrics.boundingRect(button->CaptionRect(), CommandButton::kCaptionFlags,
                                             button->DisplayedCaption());
    QCOMPARE(drawn.height() / metrics.lineSpacing(), lines);
}

void CommandButtonTest::enterPressesTheFocusedButton() {
    QWidget window;
    CommandButton* button = AddButton(&window, TwipScale(96), QStringLiteral("button"),
                                      QStringLiteral("OK"), {0, 0, 1200, 375});
    window.show();
    button->setFocus();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    QTest::keyClick(button, Qt::Key_Return);
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicks.count(), 2);
    QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(clicks.count(), 2);
}

QTEST_MAIN(CommandButtonTest)
#include "CommandButtonTest.moc"
