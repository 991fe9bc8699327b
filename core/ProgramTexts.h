#pragma once

#include <QString>

namespace tarnel {

// The texts that live as long as the program. Created once by main() and handed to every window,
// so that closing a window never loses them. All start empty.
struct ProgramTexts {
    QString lastPosition; // query value of the last search, also kept in the last-position file
    QString decimalText;  // current decimal result of the degrees-minutes-seconds conversion
    QString savedLatitudeText;  // last degrees-minutes-seconds latitude handed to the main window
    QString savedLongitudeText; // the same for the longitude
};

} // namespace tarnel
