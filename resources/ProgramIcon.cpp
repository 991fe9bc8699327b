#include "resources/ProgramIcon.h"

// Registers the compiled-in resources; a static library's resources are not registered on their
// own.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace tarnel {

QIcon ProgramIcon() {
    static const bool registered = (InitResources(), true);
    Q_UNUSED(registered);
    return QIcon(QStringLiteral(":/icons/tarnel.svg"));
}

} // namespace tarnel
