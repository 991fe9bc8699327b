#include "ui/common/Controls.h"

#include "ui/common/Fonts.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace tarnel {

namespace {

template <typename Control>
Control* Place(Control* control, const TwipScale& scale, const QString& name, TwipRect geometry) {
    control->setObjectName(name);
    control->setFont(DesignFont());
    control->setGeometry(scale.Rect(geometry.left, geometry.top, geometry.width, geometry.height));
    return control;
}

void SetBackground(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

} // namespace

QLabel* AddLabel(QWidget* parent, const TwipScale& scale, const QString& name,
                 const QString& caption, TwipRect geometry, Qt::Alignment alignment) {
    auto* label = Place(new QLabel(caption, parent), scale, name, geometry);
    label->setAlignment(alignment);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* AddResultLabel(QWidget* parent, const TwipScale& scale, const QString& name,
                       TwipRect geometry, const QColor& background) {
    auto* label = AddLabel(parent, scale, name, QString(), geometry, Qt::AlignCenter);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setAutoFillBackground(true);
    SetBackground(label, QPalette::Window, background);
    return label;
}

QLineEdit* AddTextBox(QWidget* parent, const TwipScale& scale, const QString& name,
                      TwipRect geometry, const QColor& background, Qt::Alignment alignment) {
    auto* box = Place(new QLineEdit(parent), scale, name, geometry);
    box->setAlignment(alignment | Qt::AlignVCenter);
    box->setTextMargins(0, 0, 0, 0);
    SetBackground(box, QPalette::Base, background);
    return box;
}

CommandButton* AddButton(QWidget* parent, const TwipScale& scale, const QString& name,
                         const QString& caption, TwipRect geometry, bool bold) {
    auto* button = Place(new CommandButton(caption, parent), scale, name, geometry);
    button->setFont(DesignFont(8.25, bold));
    return button;
}

QGroupBox* AddFrame(QWidget* parent, const TwipScale& scale, const QString& name,
                    const QString& caption, TwipRect geometry, bool boldCaption) {
    auto* frame = Place(new QGroupBox(caption, parent), scale, name, geometry);
    frame->setFont(DesignFont(8.25, boldCaption));
    return frame;
}

void SetTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace tarnel
