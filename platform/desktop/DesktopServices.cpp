#include "platform/desktop/DesktopServices.h"

#include "platform/registry/SystemRegistry.h"

namespace tarnel {

DesktopServices::DesktopServices()
    : registry_(MakeSystemRegistry())
    , services_{messages_, saveDialog_, shell_, *registry_, programs_, feedback_} {
}

} // namespace tarnel
