#include "ui/address/FRmChCoord.h"

namespace tarnel {

FRmChCoord::FRmChCoord(MainWindowAccess& mainWindow, WindowContext& context, QWidget* owner)
    : ToolWindow(owner, QStringLiteral("FRmChCoord"),
                 QStringLiteral("Rechercher les coordonnées GPS à partir d'une adresse"), 7500,
                 3990)
    , mainWindow_(mainWindow)
    , context_(context) {
}

void FRmChCoord::FillAddress(const QString&, const QString&, const QString&, const QString&) {
}

} // namespace tarnel
