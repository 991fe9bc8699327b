#pragma once

namespace tarnel {

// Whether an assistive technology (a screen reader, a magnifier that reads the screen) is at
// work: Qt's accessibility switched on for the process (QT_LINUX_ACCESSIBILITY_ALWAYS_ON, or
// Qt's bridge already active), or, on Linux, the desktop's accessibility bus saying it is on
// (org.a11y.Status's IsEnabled or ScreenReaderEnabled, asked of the session bus for at most a
// fraction of a second, the bus never started for the question). To be called once the
// application object exists.
bool AssistiveTechnologyActive();

// Lets the map's web engine show its pages to assistive technologies when one is at work, and
// leaves them out otherwise, as the engine does by default on Linux (its accessibility tree costs
// time and memory at every page). To be called after the application object exists and before
// the first web profile or view is made: the engine reads the switch once, when it starts.
void ExposeWebPagesWhenAssisted();

} // namespace tarnel
