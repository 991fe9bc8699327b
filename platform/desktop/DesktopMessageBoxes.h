#pragma once

#include "platform/MessageBoxes.h"

namespace tarnel {

// The text as the box shows it: a lone carriage return or CR LF breaks the line, as a Windows
// message box does, where a Qt label would run the lines together.
QString MessageBoxDisplayText(const QString& text);

// QMessageBox with a single OK button; an empty title shows the program title.
class DesktopMessageBoxes : public MessageBoxes {
public:
    void Show(QWidget* parent, const QString& text, const QString& title,
              MessageIcon icon) override;
};

} // namespace tarnel
