#pragma once

#include "app/CommandLine.h"

#include <QProcessEnvironment>
#include <QString>

namespace tarnel {

// Exit statuses of the command line.
inline constexpr int kExitWritten = 0;
inline constexpr int kExitRefused = 1;     // the file cannot be geocoded: nothing written
inline constexpr int kExitUsage = 2;       // a wrong command
inline constexpr int kExitInterrupted = 3; // cut short; the same command goes on with it

// Runs `line` (Help, Version, Geocode or Invalid) without any window: texts and progress on
// the standard error (a progress line only when it is a terminal), the help and the version
// on the standard output. Geocoding reads the geocoders from the configuration as the windows
// do, keeps its progress in the user's data folder and writes the result atomically. Needs a
// QCoreApplication. Returns the exit status.
int RunCommandLine(const CommandLine& line, const QProcessEnvironment& environment);

// The journal of the batches, in the user's data folder (QStandardPaths' AppDataLocation).
QString BatchJournalFile();

} // namespace tarnel
