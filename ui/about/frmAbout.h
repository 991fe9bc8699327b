#pragma once

#include "ui/common/ToolWindow.h"
#include "ui/common/WindowContext.h"

#include <QString>
#include <cstdint>
#include <stdexcept>

class QLabel;
class QPushButton;

namespace tarnel {

// Raised by frmAbout::GetKeyValue for a value stored with no data at all.
class EmptyRegistryValue : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The about window: title, version, the maker's links and the system-information launcher.
// Built afresh at every opening: the constructor is the window's load step.
class frmAbout : public ToolWindow {
    Q_OBJECT
public:
    frmAbout(WindowContext& context, QWidget* owner);

    // Starts the system-information tool the registry names: the "PATH" value of its key as
    // it stands, else MSINFO32.EXE in the folder its second key names (joined with this
    // system's separator) when that file exists. An empty path is never started. Shows "Information
    // Systeme introuvable !" when neither leads to a started program.
    void StartSysInfo();

    // Reads value `SubKeyRef` of key `KeyName` below `KeyRoot` into `KeyVal`. A string value
    // gives its text, a 32-bit number "&h" and hexadecimal digits, any other type leaves
    // `KeyVal` as it was. False, with `KeyVal` emptied, when the key or value is missing or
    // the value is longer than 1024 bytes. Throws EmptyRegistryValue for a value of no data.
    bool GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                     QString& KeyVal);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Event handlers, one per control event, as the controls run them.
    void Form_Load();           // at every opening: the caption, the version and the title
    void cmdOK_Click();         // "OK", Enter or Esc: the window closes
    void Command1_Click();      // "Détails...": a message box with the version and the maker
    void cmdSysInfo_Click();    // "&Système Info...": the system-information tool starts
    void lblDisclaimer_Click(); // the mail address: a new mail to the maker opens
    void Label3_Click();        // the web site address: the maker's site opens in the browser
    void Image2_Click();        // the donation picture: the donation page opens in the browser
    void OpenLink(const QString& target);
    // Runs the click handler of the link `label`; false when it is no link.
    bool FollowLink(QObject* label);

    WindowContext& context_;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblVersion_ = nullptr;
    QLabel* lblDisclaimer_ = nullptr;
    QLabel* Label3_ = nullptr;
    QLabel* Image2_ = nullptr;
    bool doubleClicked_ = false;
};

} // namespace tarnel
