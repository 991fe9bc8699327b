#pragma once

#include "platform/MessageBoxes.h"

namespace tarnel {

// QMessageBox with a single OK button; an empty title shows the program title.
class DesktopMessageBoxes : public MessageBoxes {
public:
    void Show(QWidget* parent, const QString& text, const QString& title,
              MessageIcon icon) override;
};

} // namespace tarnel
