#include "ui/main/frmMap.h"

namespace tarnel {

frmMap::frmMap(WindowContext& context, MapView* mapView)
    : context_(context)
    , WebBrowser1_(mapView) {
    WebBrowser1_->setParent(this);
}

QString frmMap::BoxText(MainBox) const {
    return {};
}

void frmMap::SetBoxText(MainBox, const QString&) {
}

void frmMap::Command4_Click() {
}

void frmMap::NavigateMap(const QString& url) {
    WebBrowser1_->Navigate(url);
}

} // namespace tarnel
