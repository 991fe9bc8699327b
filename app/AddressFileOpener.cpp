#include "app/AddressFileOpener.h"

#include <QFileInfo>
#include <utility>

namespace tarnel {

AddressFileOpener::AddressFileOpener(std::function<AddressFileWindow*()> makeWindow, MapView* map,
                                     QObject* parent)
    : QObject(parent)
    , makeWindow_(std::move(makeWindow))
    , map_(map) {
    connect(map_, &MapView::AddressFileAsked, this, [this] { Open(); });
    connect(map_, &MapView::FilesDropped, this, &AddressFileOpener::OpenFirst);
}

void AddressFileOpener::Open(const QString& path) {
    if (!window_) {
        window_ = makeWindow_();
        connect(window_, &AddressFileWindow::RunStarted, map_, &MapView::ClearFilePoints);
        connect(window_, &AddressFileWindow::PointsFound, map_, &MapView::ShowFilePoints);
    }
    if (!path.isEmpty()) {
        window_->OpenFile(QFileInfo(path).absoluteFilePath());
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void AddressFileOpener::OpenFirst(const QStringList& paths) {
    if (!paths.isEmpty()) {
        Open(paths.front());
    }
}

} // namespace tarnel
