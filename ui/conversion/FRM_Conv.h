#pragma once

#include "ui/common/MainWindowAccess.h"
#include "ui/common/ToolWindow.h"
#include "ui/common/WindowContext.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tarnel {

// The conversion window: degrees-minutes-seconds to decimal degrees and back, with the
// hemisphere options of the decimal result, and the commands that hand results to the main
// window. Unloaded when closed: every box and option starts afresh at the next creation, while
// the decimal result and the texts last handed over live on in context.texts.
class FRM_Conv : public ToolWindow {
    Q_OBJECT
public:
    // Builds and loads the window (Form_Load runs here) without showing it.
    FRM_Conv(MainWindowAccess& mainWindow, WindowContext& context, QWidget* owner);

    // Puts a value into the decimal input box `Txt_DEC` (the main window's copy buttons).
    void FillDecimalInput(const QString& text);

    // Event handlers, one per control event, as the controls run them.
    void Form_Load();
    void Command1_Click();  // "&Fermer": close and unload
    void Command2_Click();  // degrees-minutes-seconds to decimal
    void Command3_Click();  // clear the first panel (the decimal result itself survives)
    void Command4_Click();  // decimal result into the main window's longitude box
    void Command5_Click();  // decimal to degrees-minutes-seconds
    void Command6_Click();  // decimal result into the main window's latitude box
    void Command7_Click();  // clear the second panel
    void Command8_Click();  // degrees-minutes-seconds into the main window's latitude, and LAT
    void Command9_Click();  // the same for the longitude, and LONG
    void Command10_Click(); // LAT and LONG as a map query, navigated in the main window
    void Option1_Click();   // "N"
    void Option2_Click();   // "S"
    void Option3_Click();   // "E"
    void Option4_Click();   // "O"
    // Key presses of the four input boxes: only a sign, digits, a full stop or backspace pass.
    void T_DEG_KeyPress(int& keyAscii);
    void T_MIN_KeyPress(int& keyAscii);
    void T_SEC_KeyPress(int& keyAscii);
    void Txt_DEC_KeyPress(int& keyAscii);

private:
    void BuildFirstPanel();
    void BuildSecondPanel();
    void BuildHiddenHolders();
    // Names the controls whose captions say too little once read aloud.
    void DescribeForAssistiveTechnology();
    void ConnectHandlers();
    // Runs a hemisphere rule on the decimal result when `option` is the selected one.
    void ApplyPositive(const QRadioButton* option);
    void ApplyNegative(const QRadioButton* option);
    // The degrees-minutes-seconds text of the second panel's three result labels.
    QString DmsResultText() const;

    MainWindowAccess& mainWindow_;
    WindowContext& context_;

    QPushButton* Command1_ = nullptr;
    QGroupBox* Frame1_ = nullptr;
    QLineEdit* T_DEG_ = nullptr;
    QLineEdit* T_MIN_ = nullptr;
    QLineEdit* T_SEC_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QLabel* Label5_ = nullptr;
    QPushButton* Command3_ = nullptr;
    QPushButton* Command6_ = nullptr;
    QPushButton* Command4_ = nullptr;
    QRadioButton* Option1_ = nullptr;
    QRadioButton* Option2_ = nullptr;
    QRadioButton* Option3_ = nullptr;
    QRadioButton* Option4_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QLineEdit* Txt_DEC_ = nullptr;
    QPushButton* Command5_ = nullptr;
    QLabel* Lbl_DEG_ = nullptr;
    QLabel* Lbl_MIN_ = nullptr;
    QLabel* Lbl_SEC_ = nullptr;
    QPushButton* Command7_ = nullptr;
    QPushButton* Command8_ = nullptr;
    QPushButton* Command9_ = nullptr;
    QPushButton* Command10_ = nullptr;
    QLabel* LAT_ = nullptr;
    QLabel* LONG_ = nullptr;
};

} // namespace tarnel
