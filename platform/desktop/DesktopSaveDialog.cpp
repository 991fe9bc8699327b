#include "platform/desktop/DesktopSaveDialog.h"

#include <QFileDialog>

namespace tarnel {

QString SaveDialogNameFilter(const QString& description, const QString& pattern) {
    const QString shown = description.trimmed();
    const QString patterns = pattern.trimmed();
    if (patterns.isEmpty())
        return shown;
    const QString bracketed = u'(' + patterns + u')';
    // The dialog reads the patterns from the parentheses at the very end of the filter, so a
    // blank after them would turn the whole text into patterns.
    if (shown.endsWith(bracketed))
        return shown;
    if (shown.isEmpty())
        return bracketed;
    return shown + u' ' + bracketed;
}

QString SaveDialogNameFilter(const SaveDialogRequest& request) {
    return SaveDialogNameFilter(request.filterDescription, request.filterPattern);
}

QStringList SaveDialogNameFilters(const SaveDialogRequest& request) {
    QStringList filters{SaveDialogNameFilter(request)};
    for (const SaveDialogFilter& filter : request.moreFilters)
        filters.append(SaveDialogNameFilter(filter.description, filter.pattern));
    return filters;
}

std::optional<SaveDialogChoice> DesktopSaveDialog::AskSavePath(QWidget* parent,
                                                               const SaveDialogRequest& request) {
    const QStringList filters = SaveDialogNameFilters(request);
    QFileDialog dialog(parent, request.title, request.initialDirectory);
    dialog.setNameFilters(filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
        const qsizetype index = filters.indexOf(chosen);
        dialog.setDefaultSuffix(index > 0 ? request.moreFilters[index - 1].defaultSuffix
                                          : request.defaultSuffix);
    });
    if (!request.previousPath.isEmpty())
        dialog.selectFile(request.previousPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // A filter the dialog does not report as one of ours counts as the first.
    const int filter = int(std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter())));
    return SaveDialogChoice{dialog.selectedFiles().constFirst(), filter};
}

} // namespace tarnel
