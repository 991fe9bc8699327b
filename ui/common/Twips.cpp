#include "ui/common/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace tarnel {

int TwipScale::Pixels(int twips) const {
    return static_cast<int>(std::lround(twips * dpi_ / 1440.0));
}

int TwipScale::Twips(int pixels) const {
    return static_cast<int>(std::lround(pixels * 1440.0 / dpi_));
}

QRect TwipScale::Rect(int left, int top, int width, int height) const {
    return {Pixels(left), Pixels(top), Pixels(width), Pixels(height)};
}

QSize TwipScale::Size(int width, int height) const {
    return {Pixels(width), Pixels(height)};
}

TwipScale TwipScale::For(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return TwipScale(screen ? screen->logicalDotsPerInch() : 96.0);
}

} // namespace tarnel
