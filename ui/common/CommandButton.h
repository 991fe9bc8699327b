#pragma once

#include <QPushButton>

namespace tarnel {

// A push button whose caption wraps onto centred lines when the button is taller than one
// line of text, as a classic Windows command button does. Like one, it is pressed by Enter
// while it has the focus; it is never a window's default button by itself.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

    // The flags the caption is drawn with; also what a fit check measures against.
    static constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    // The rectangle inside the bevel where the caption is drawn.
    QRect CaptionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tarnel
