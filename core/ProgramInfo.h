#pragma once

#include "core/ProgramVersion.h"

#include <QString>

namespace tarnel {

// Title shown by the about window and used as the title of untitled message boxes.
inline const QString kProgramTitle = QStringLiteral("Tarnel");

// The version set in the top CMakeLists.txt: its three numbers, and "major.minor.revision".
inline constexpr int kVersionMajor = TARNEL_VERSION_MAJOR;
inline constexpr int kVersionMinor = TARNEL_VERSION_MINOR;
inline constexpr int kVersionRevision = TARNEL_VERSION_PATCH;
inline const QString kVersionText = QStringLiteral(TARNEL_VERSION);

// The maker's web site, under a domain reserved for examples: the about window's links and the
// contact the program gives the open-data services it asks.
inline const QString kMakerWebSite = QStringLiteral("https://tarnel.example");

} // namespace tarnel
