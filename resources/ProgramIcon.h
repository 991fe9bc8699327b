#pragma once

#include <QIcon>

namespace tarnel {

// The program's icon (a globe with a map pin), worn by the main and conversion windows.
QIcon ProgramIcon();

} // namespace tarnel
