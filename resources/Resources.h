#pragma once

namespace tarnel {

// Makes the pictures compiled into the program (resources.qrc: ":/icons/…", ":/about/…",
// ":/address/…") reachable. A static library's resources are not registered on their own, so
// every user of a ":/" path calls this first; only the first call does anything.
void RegisterResources();

} // namespace tarnel
