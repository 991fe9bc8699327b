#include "app/MapServiceHook.h"

#include "core/MapQuery.h"

namespace tarnel {

QString StartMapService() {
    return BuiltInMapServiceBaseUrl();
}

} // namespace tarnel
