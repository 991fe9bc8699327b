#pragma once

#include <QPushButton>

namespace tarnel {

// A push button whose caption is set on two centred lines when the button is tall enough for
// them, as a classic Windows command button does, and wraps further only if it must. Like one, it
// is pressed by Enter while it has the focus; it is never a window's default button by itself.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);

    // The flags the caption is drawn with; also what a fit check measures against.
    static constexpr int kCaptionFlags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    // The rectangle inside the bevel where the caption is drawn.
    QRect CaptionRect() const;
    // The caption as drawn: on a button tall enough for two lines, a caption that would fit on
    // one line is broken between two words so that the first line is the shorter of the ones
    // at least as wide as the second. A caption too wide for one line is word-wrapped.
    QString DisplayedCaption() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tarnel
