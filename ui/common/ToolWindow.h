#pragma once

#include "ui/common/Twips.h"

#include <QDialog>

class QAbstractButton;

namespace tarnel {

// A tool window opened from the main window: fixed single border, no minimize or maximize
// button, a client area of the design size, centred on its owner, unloaded when closed (so
// its boxes start afresh at the next opening). Enter and Esc trigger nothing unless the
// window names a default or cancel button.
class ToolWindow : public QDialog {
    Q_OBJECT
public:
    ToolWindow(QWidget* owner, const QString& name, const QString& caption, int clientWidthTwips,
               int clientHeightTwips);

    const TwipScale& Scale() const { return scale_; }

protected:
    // Esc presses this button; without one Esc does nothing.
    void SetCancelButton(QAbstractButton* button) { cancelButton_ = button; }
    void keyPressEvent(QKeyEvent* event) override;

private:
    TwipScale scale_;
    QAbstractButton* cancelButton_ = nullptr;
};

} // namespace tarnel
