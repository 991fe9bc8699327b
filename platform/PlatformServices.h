#pragma once

#include "platform/Feedback.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramStarter.h"
#include "platform/Registry.h"
#include "platform/SaveDialog.h"
#include "platform/Shell.h"

namespace tarnel {

// Everything the windows ask of the operating system besides the map view. main() hands the
// desktop's services; tests hand fakes.
struct PlatformServices {
    MessageBoxes& messages;
    SaveDialog& saveDialog;
    Shell& shell;
    Registry& registry;
    ProgramStarter& programs;
    Feedback& feedback;
};

} // namespace tarnel
