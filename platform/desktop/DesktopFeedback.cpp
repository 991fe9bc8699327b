#include "platform/desktop/DesktopFeedback.h"

#include <QApplication>

namespace tarnel {

void DesktopFeedback::Beep() {
    QApplication::beep();
}

void DesktopFeedback::SetBusyCursor(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace tarnel
