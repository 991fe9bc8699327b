#pragma once

#include "core/ProgramTexts.h"
#include "platform/PlatformServices.h"

#include <QString>

namespace tarnel {

// What every window receives from outside: main() wires the real ones, tests wire fakes,
// temporary folders and loopback servers.
struct WindowContext {
    ProgramTexts& texts;
    QString programDirectory; // holds the last-position file and the help document
    QString mapBaseUrl;       // ends in "/maps?q="
    PlatformServices& platform;
};

} // namespace tarnel
