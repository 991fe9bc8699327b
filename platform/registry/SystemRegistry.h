#pragma once

#include "platform/Registry.h"

#include <memory>

namespace tarnel {

// The registry of this system: the real one on Windows, elsewhere a read-only stand-in that
// answers what the program asks of it.
std::unique_ptr<Registry> MakeSystemRegistry();

} // namespace tarnel
