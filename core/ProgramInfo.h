#pragma once

#include <QString>

namespace tarnel {

// Title and version shown by the about window and used as the title of untitled message boxes.
inline const QString kProgramTitle = QStringLiteral("Tarnel");
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;

// The maker's web site, under a domain reserved for examples: the about window's links and the
// contact the program gives the open-data services it asks.
inline const QString kMakerWebSite = QStringLiteral("https://tarnel.example");

} // namespace tarnel
