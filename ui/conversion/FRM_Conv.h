#pragma once

#include "ui/common/MainWindowAccess.h"
#include "ui/common/ToolWindow.h"
#include "ui/common/WindowContext.h"

namespace tarnel {

// The conversion window: degrees-minutes-seconds to decimal degrees and back.
class FRM_Conv : public ToolWindow {
    Q_OBJECT
public:
    FRM_Conv(MainWindowAccess& mainWindow, WindowContext& context, QWidget* owner);

    // Puts a value into the decimal input box `Txt_DEC` (the main window's copy buttons).
    void FillDecimalInput(const QString& text);

private:
    MainWindowAccess& mainWindow_;
    WindowContext& context_;
};

} // namespace tarnel
