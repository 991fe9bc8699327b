#include "ui/conversion/FRM_Conv.h"

namespace tarnel {

FRM_Conv::FRM_Conv(MainWindowAccess& mainWindow, WindowContext& context, QWidget* owner)
    : ToolWindow(owner, QStringLiteral("FRM_Conv"),
                 QStringLiteral("Utilitaire de conversion de coordonnées GPS"), 6240, 4155)
    , mainWindow_(mainWindow)
    , context_(context) {
}

void FRM_Conv::FillDecimalInput(const QString&) {
}

} // namespace tarnel
