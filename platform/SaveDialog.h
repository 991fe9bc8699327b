#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace tarnel {

struct SaveDialogRequest {
    QString title;
    QString initialDirectory;
    QString filterDescription; // shown to the user, e.g. " Fichier Generic.ASC (*.asc) "
    QString filterPattern;     // e.g. "*.asc"
    QString defaultSuffix;     // without the dot, e.g. "asc"
    QString previousPath;      // the name chosen last time, offered again; empty for none
};

// The desktop's save dialog, asking before it overwrites an existing file. Returns the chosen
// path, or nothing when the user cancelled.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    virtual std::optional<QString> AskSavePath(QWidget* parent,
                                               const SaveDialogRequest& request) = 0;
};

} // namespace tarnel
