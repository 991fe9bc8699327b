#pragma once

#include "ui/addressfile/AddressFileWindow.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

namespace tarnel {

// Opens the window « Géocoder un fichier d'adresses » for the ways in to it (the map page's
// control, files dropped on the main window or the map, the command line) and ties it to the
// map: one window at a time, raised when already open; its points shown on `map` as they come,
// cleared when a run starts.
class AddressFileOpener : public QObject {
    Q_OBJECT
public:
    // `makeWindow` builds a new window, not yet shown; `map` outlives the opener.
    AddressFileOpener(std::function<AddressFileWindow*()> makeWindow, MapView* map,
                      QObject* parent = nullptr);

    // Shows the window, on the file at `path` when one is given.
    void Open(const QString& path = {});
    // Shows the window on the first of `paths`.
    void OpenFirst(const QStringList& paths);

    // The window open, or null.
    AddressFileWindow* Window() const { return window_; }

private:
    std::function<AddressFileWindow*()> makeWindow_;
    MapView* map_;
    QPointer<AddressFileWindow> window_;
};

} // namespace tarnel
