#pragma once

#include <QRect>

class QWidget;

namespace tarnel {

// Windows are designed in twips (1/1440 inch). Converting through the screen's logical DPI
// keeps the controls in step with fonts given in points, so a window keeps its design on a
// HiDPI screen (15 twips a pixel at 96 DPI).
class TwipScale {
public:
    explicit TwipScale(qreal logicalDpi = 96.0)
        : dpi_(logicalDpi) {}

    int Pixels(int twips) const;
    int Twips(int pixels) const;
    QRect Rect(int left, int top, int width, int height) const;
    QSize Size(int width, int height) const;

    // The scale of the screen `widget` is on (the primary screen when it has none yet).
    static TwipScale For(const QWidget* widget);

private:
    qreal dpi_;
};

} // namespace tarnel
