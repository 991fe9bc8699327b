#include "platform/desktop/WebAccessibility.h"

#include <QAccessible>

namespace tarnel {

bool AssistiveTechnologyActive() {
    return QAccessible::isActive();
}

// The engine shows its pages to assistive technologies on its own on Windows, once one asks.
void ExposeWebPagesWhenAssisted() {
}

} // namespace tarnel
