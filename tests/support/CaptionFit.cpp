#include "tests/support/CaptionFit.h"

#include "ui/common/CommandButton.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

namespace tarnel::testing {

namespace {

// The caption as shown: an access-key "&" takes no room, "&&" shows one "&".
QString Shown(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == u'&' && i + 1 < caption.size())
            ++i;
        shown += caption.at(i);
    }
    return shown;
}

bool Fits(const QRect& room, const QRect& needed) {
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool ButtonFits(const QAbstractButton* button) {
    const QFontMetrics metrics(button->font());
    if (const auto* command = qobject_cast<const CommandButton*>(button)) {
        const QRect room = command->CaptionRect();
        return Fits(room, metrics.boundingRect(room, CommandButton::kCaptionFlags,
                                               command->DisplayedCaption()));
    }
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QRadioButton*>(button))
        contents = QStyle::SE_RadioButtonContents;
    else if (qobject_cast<const QCheckBox*>(button))
        contents = QStyle::SE_CheckBoxContents;
    const QRect room = button->style()->subElementRect(contents, &option, button);
    return metrics.horizontalAdvance(Shown(button->text())) <= room.width() &&
           metrics.height() <= room.height();
}

bool LabelFits(const QLabel* label) {
    const QFontMetrics metrics(label->font());
    QRect room = label->contentsRect();
    const int margin = label->margin();
    room.adjust(margin, margin, -margin, -margin);
    const QString text = label->buddy() ? Shown(label->text()) : label->text();
    if (!label->wordWrap() && !text.contains(u'\n'))
        return metrics.horizontalAdvance(text) <= room.width() && metrics.height() <= room.height();
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    return Fits(room, metrics.boundingRect(room, flags, text));
}

bool FrameTitleFits(const QGroupBox* frame) {
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.textAlignment = frame->alignment();
    const QRect label = frame->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                       QStyle::SC_GroupBoxLabel, frame);
    const int needed = QFontMetrics(frame->font()).horizontalAdvance(Shown(frame->title()));
    return label.left() >= 0 && label.left() + needed <= frame->width();
}

} // namespace

QStringList CaptionsThatDoNotFit(const QWidget* window) {
    QStringList misfits;
    const auto report = [&misfits](const QObject* control, const QString& caption) {
        misfits.append(control->objectName() + QStringLiteral(": ") + caption);
    };
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty() && !ButtonFits(button))
            report(button, button->text());
    }
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && !LabelFits(label))
            report(label, label->text());
    }
    for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) {
        if (!frame->title().isEmpty() && !FrameTitleFits(frame))
            report(frame, frame->title());
    }
    return misfits;
}

} // namespace tarnel::testing
