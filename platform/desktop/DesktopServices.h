#pragma once

#include "platform/PlatformServices.h"
#include "platform/desktop/DesktopFeedback.h"
#include "platform/desktop/DesktopMessageBoxes.h"
#include "platform/desktop/DesktopProgramStarter.h"
#include "platform/desktop/DesktopSaveDialog.h"
#include "platform/desktop/DesktopShell.h"

#include <memory>

namespace tarnel {

// Owns the desktop's implementation of every platform service; lives as long as the windows
// that use them.
class DesktopServices {
public:
    DesktopServices();
    DesktopServices(const DesktopServices&) = delete;
    DesktopServices& operator=(const DesktopServices&) = delete;

    PlatformServices& Services() { return services_; }

private:
    DesktopMessageBoxes messages_;
    DesktopSaveDialog saveDialog_;
    DesktopShell shell_;
    std::unique_ptr<Registry> registry_;
    DesktopProgramStarter programs_;
    DesktopFeedback feedback_;
    PlatformServices services_;
};

} // namespace tarnel
