#pragma once

#include "ui/common/MainWindowAccess.h"
#include "ui/common/ToolWindow.h"
#include "ui/common/WindowContext.h"

namespace tarnel {

// The address window: looks up the coordinates of an address and exports them.
class FRmChCoord : public ToolWindow {
    Q_OBJECT
public:
    FRmChCoord(MainWindowAccess& mainWindow, WindowContext& context, QWidget* owner);

    // Puts the main window's address into the four address boxes (its copy button).
    void FillAddress(const QString& street, const QString& zipCode, const QString& city,
                     const QString& state);

private:
    MainWindowAccess& mainWindow_;
    WindowContext& context_;
};

} // namespace tarnel
