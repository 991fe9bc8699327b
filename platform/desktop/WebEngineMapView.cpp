#include "platform/desktop/WebEngineMapView.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tarnel {

WebEngineMapView::WebEngineMapView(QWidget* parent)
    : MapView(parent)
    , browser_(new QWebEngineView(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(browser_);
}

WebEngineMapView::WebEngineMapView(QWebEngineProfile* profile, QWidget* parent)
    : WebEngineMapView(parent) {
    browser_->setPage(new QWebEnginePage(profile, browser_));
}

void WebEngineMapView::PrepareProcess() {
#ifdef Q_OS_UNIX
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

void WebEngineMapView::Navigate(const QString& url) {
    browser_->load(QUrl(url, QUrl::TolerantMode));
}

} // namespace tarnel
