#include "platform/desktop/DesktopSaveDialog.h"

#include <QFileDialog>

namespace tarnel {

QString SaveDialogNameFilter(const SaveDialogRequest& request) {
    const QString description = request.filterDescription.trimmed();
    const QString pattern = request.filterPattern.trimmed();
    if (pattern.isEmpty())
        return description;
    const QString bracketed = u'(' + pattern + u')';
    // The dialog reads the patterns from the parentheses at the very end of the filter, so a
    // blank after them would turn the whole text into patterns.
    if (description.endsWith(bracketed))
        return description;
    if (description.isEmpty())
        return bracketed;
    return description + u' ' + bracketed;
}

std::optional<QString> DesktopSaveDialog::AskSavePath(QWidget* parent,
                                                      const SaveDialogRequest& request) {
    QFileDialog dialog(parent, request.title, request.initialDirectory,
                       SaveDialogNameFilter(request));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!request.previousPath.isEmpty())
        dialog.selectFile(request.previousPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace tarnel
