#pragma once

#include "platform/MapView.h"
#include "ui/common/MainWindowAccess.h"
#include "ui/common/WindowContext.h"

#include <QPointer>
#include <QWidget>

class QLineEdit;

namespace tarnel {

class FRM_Conv;
class FRmChCoord;

// The main window: the two searches, the map view and the commands that open the other
// windows. Reads the last position and navigates the map when created.
class frmMap : public QWidget, public MainWindowAccess {
    Q_OBJECT
public:
    // Takes ownership of `mapView`, the map shown below the search areas.
    frmMap(WindowContext& context, MapView* mapView);

    QString BoxText(MainBox box) const override;
    void SetBoxText(MainBox box, const QString& text) override;
    void Command4_Click() override;
    void NavigateMap(const QString& url) override;

private:
    WindowContext& context_;
    MapView* WebBrowser1_;
};

} // namespace tarnel
