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

QString MessageBoxDisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    return shown;
}

void DesktopMessageBoxes::Show(QWidget* parent, const QString& text, const QString& title,
                               MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), title.isEmpty() ? kProgramTitle : title,
                    MessageBoxDisplayText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace tarnel
