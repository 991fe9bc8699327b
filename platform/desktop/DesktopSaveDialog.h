#pragma once

#include "platform/SaveDialog.h"

#include <QStringList>

namespace tarnel {

// The name filter a file dialog understands: the trimmed description when it already ends with
// the pattern in parentheses, otherwise "description (pattern)".
QString SaveDialogNameFilter(const QString& description, const QString& pattern);
// The request's own filter.
QString SaveDialogNameFilter(const SaveDialogRequest& request);
// Every filter of the request, its own first.
QStringList SaveDialogNameFilters(const SaveDialogRequest& request);

// QFileDialog in save mode: the title, initial folder, filters and default suffix of the
// request, with confirmation before an existing file is replaced. Choosing another filter
// makes its suffix the default. A previous path opens the dialog in its folder with its name
// filled in.
class DesktopSaveDialog : public SaveDialog {
public:
    std::optional<SaveDialogChoice> AskSavePath(QWidget* parent,
                                                const SaveDialogRequest& request) override;
};

} // namespace tarnel
