#include "ui/common/CommandButton.h"

#include <QKeyEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

namespace tarnel {

CommandButton::CommandButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    setAutoDefault(false);
}

QRect CommandButton::CaptionRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

QString CommandButton::DisplayedCaption() const {
    const QString caption = text();
    const QFontMetrics metrics = fontMetrics();
    const QRect room = CaptionRect();
    // Widths are measured without the access-key marks, which are drawn as underlines.
    const auto width = [&](const QString& part) {
        return metrics.horizontalAdvance(QString(part).remove(QLatin1Char('&')));
    };
    // Too wide for one line: the word wrap breaks it, as Windows does. Too low for two lines:
    // it stays on one.
    if (room.height() < 2 * metrics.height() || width(caption) > room.width())
        return caption;
    // The shortest first line that is still at least as wide as the second, as a word wrap
    // leaves it; with none such, the break that makes the wider line narrowest.
    qsizetype best = -1;
    bool bestTopHeavy = false;
    int bestWidth = 0;
    for (qsizetype blank = caption.indexOf(QLatin1Char(' ')); blank > 0;
         blank = caption.indexOf(QLatin1Char(' '), blank + 1)) {
        const int first = width(caption.left(blank));
        const int second = width(caption.mid(blank + 1));
        const bool topHeavy = first >= second;
        const int measure = topHeavy ? first : std::max(first, second);
        if (best < 0 || (topHeavy && !bestTopHeavy) ||
            (topHeavy == bestTopHeavy && measure < bestWidth)) {
            best = blank;
            bestTopHeavy = topHeavy;
            bestWidth = measure;
        }
    }
    if (best < 0)
        return caption;
    return caption.left(best) + QLatin1Char('\n') + caption.mid(best + 1);
}

void CommandButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = DisplayedCaption();
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect area = CaptionRect();
    if (isDown() || isChecked())
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    painter.drawItemText(area, kCaptionFlags, palette(), isEnabled(), caption,
                         QPalette::ButtonText);
}

void CommandButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace tarnel
