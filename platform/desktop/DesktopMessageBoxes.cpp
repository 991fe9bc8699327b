#include "platform/desktop/DesktopMessageBoxes.h"

#include "core/ProgramInfo.h"

#include <QMessageBox>

namespace tarnel {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void DesktopMessageBoxes::Show(QWidget* parent, const QString& text, const QString& title,
                               MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), title.isEmpty() ? kProgramTitle : title, text, QMessageBox::Ok,
                    parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace tarnel
