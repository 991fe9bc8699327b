#include "resources/ProgramIcon.h"
#include "resources/Resources.h"

namespace tarnel {

QIcon ProgramIcon() {
    RegisterResources();
    return QIcon(QStringLiteral(":/icons/tarnel.svg"));
}

} // namespace tarnel
