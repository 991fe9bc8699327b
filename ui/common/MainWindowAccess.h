#pragma once

#include <QString>

namespace tarnel {

// The six boxes of the main window that the tool windows read and write.
enum class MainBox { Street, ZipCode, City, State, Latitude, Longitude };

// What the main window offers the tool windows: its boxes, its search by coordinates and its
// map view. Keeps the tool windows free of the main window's class.
class MainWindowAccess {
public:
    virtual QString BoxText(MainBox box) const = 0;
    virtual void SetBoxText(MainBox box, const QString& text) = 0;
    virtual void Command4_Click() = 0;
    virtual void NavigateMap(const QString& url) = 0;

protected:
    ~MainWindowAccess() = default;
};

} // namespace tarnel
