#pragma once

#include "ui/common/ToolWindow.h"
#include "ui/common/WindowContext.h"

namespace tarnel {

// The about window: title, version, the maker's links and the system-information launcher.
class frmAbout : public ToolWindow {
    Q_OBJECT
public:
    frmAbout(WindowContext& context, QWidget* owner);

private:
    WindowContext& context_;
};

} // namespace tarnel
