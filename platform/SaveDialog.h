#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

namespace tarnel {

// A further file type the dialog offers after the request's own.
struct SaveDialogFilter {
    QString description;   // e.g. "Fichier GPX 1.1 (*.gpx)"
    QString pattern;       // e.g. "*.gpx"
    QString defaultSuffix; // added to a name typed without one while this type is chosen
};

struct SaveDialogRequest {
    QString title;
    QString initialDirectory;
    QString filterDescription;           // shown to the user, e.g. " Fichier Generic.ASC (*.asc) "
    QString filterPattern;               // e.g. "*.asc"
    QString defaultSuffix;               // without the dot, e.g. "asc"
    QString previousPath;                // the name chosen last time, offered again; empty for none
    QList<SaveDialogFilter> moreFilters; // offered after the first one, in this order
};

// What the user confirmed: the path, and the file type chosen when the name was confirmed
// (0 for the request's own filter, 1 for the first of `moreFilters`, and so on).
struct SaveDialogChoice {
    QString path;
    int filter = 0;
};

// The desktop's save dialog, asking before it overwrites an existing file. Returns the choice,
// or nothing when the user cancelled.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    virtual std::optional<SaveDialogChoice> AskSavePath(QWidget* parent,
                                                        const SaveDialogRequest& request) = 0;
};

} // namespace tarnel
