#include "resources/Resources.h"

#include <QtGlobal>

// Outside any namespace, as the resource initialiser is declared at global scope.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace tarnel {

void RegisterResources() {
    static const bool registered = (InitResources(), true);
    Q_UNUSED(registered);
}

} // namespace tarnel
