#pragma once

#include <QString>

class QWidget;

namespace tarnel {

enum class MessageIcon { None, Information, Exclamation, Critical };

// Modal message box with one OK button.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void Show(QWidget* parent, const QString& text, const QString& title,
                      MessageIcon icon) = 0;
};

} // namespace tarnel
