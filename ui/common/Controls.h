#pragma once

#include "ui/common/CommandButton.h"
#include "ui/common/Twips.h"

#include <QColor>
#include <QString>
#include <initializer_list>

class QGroupBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace tarnel {

// Position and size of a control in twips, relative to its container.
struct TwipRect {
    int left;
    int top;
    int width;
    int height;
};

inline const QColor kLightGreen(192, 255, 192);
inline const QColor kLightCyan(192, 255, 255);

// Controls placed at their design geometry, named with their objectName, in the windows'
// default font (MS Sans Serif 8.25 pt) unless told otherwise.
QLabel* AddLabel(QWidget* parent, const TwipScale& scale, const QString& name,
                 const QString& caption, TwipRect geometry,
                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop);
// A label with a fixed single border and centred text, for results.
QLabel* AddResultLabel(QWidget* parent, const TwipScale& scale, const QString& name,
                       TwipRect geometry, const QColor& background);
QLineEdit* AddTextBox(QWidget* parent, const TwipScale& scale, const QString& name,
                      TwipRect geometry, const QColor& background,
                      Qt::Alignment alignment = Qt::AlignLeft);
CommandButton* AddButton(QWidget* parent, const TwipScale& scale, const QString& name,
                         const QString& caption, TwipRect geometry, bool bold = false);
// A frame whose caption may be bold while its contents keep the default font.
QGroupBox* AddFrame(QWidget* parent, const TwipScale& scale, const QString& name,
                    const QString& caption, TwipRect geometry, bool boldCaption = false);

// Chains the keyboard focus through `widgets` in the order given.
void SetTabOrder(std::initializer_list<QWidget*> widgets);

} // namespace tarnel
