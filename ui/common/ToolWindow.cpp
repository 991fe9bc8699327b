#include "ui/common/ToolWindow.h"

#include "ui/common/Fonts.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace tarnel {

ToolWindow::ToolWindow(QWidget* owner, const QString& name, const QString& caption,
                       int clientWidthTwips, int clientHeightTwips)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , scale_(TwipScale::For(owner)) {
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(DesignFont());
    setFixedSize(scale_.Size(clientWidthTwips, clientHeightTwips));
}

void ToolWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (cancelButton_ && cancelButton_->isEnabled())
            cancelButton_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tarnel
