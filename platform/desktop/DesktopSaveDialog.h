#pragma once

#include "platform/SaveDialog.h"

namespace tarnel {

// The name filter a file dialog understands: the trimmed description when it already ends with
// the pattern in parentheses, otherwise "description (pattern)".
QString SaveDialogNameFilter(const SaveDialogRequest& request);

// QFileDialog in save mode: the title, initial folder, one filter and the default suffix of the
// request, with confirmation before an existing file is replaced. A previous path opens the
// dialog in its folder with its name filled in.
class DesktopSaveDialog : public SaveDialog {
public:
    std::optional<QString> AskSavePath(QWidget* parent, const SaveDialogRequest& request) override;
};

} // namespace tarnel
