#include "ui/about/frmAbout.h"

namespace tarnel {

frmAbout::frmAbout(WindowContext& context, QWidget* owner)
    : ToolWindow(owner, QStringLiteral("frmAbout"), QString(), 5730, 3255)
    , context_(context) {
}

} // namespace tarnel
