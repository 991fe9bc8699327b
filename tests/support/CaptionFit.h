#pragma once

#include <QStringList>

class QWidget;

namespace tarnel::testing {

// Every caption in `window` that its control cannot show whole at the control's present size
// and font, as "objectName: caption": buttons (a command button's caption wrapped within its
// caption rectangle, other buttons on one line beside their indicator), non-empty labels (one
// line unless they wrap) and frame titles.
QStringList CaptionsThatDoNotFit(const QWidget* window);

} // namespace tarnel::testing
