#pragma once

#include "platform/MapView.h"

class QWebEngineProfile;
class QWebEngineView;

namespace tarnel {

// The map view of the desktop: an embedded Chromium browser filling the widget.
class WebEngineMapView : public MapView {
    Q_OBJECT
public:
    explicit WebEngineMapView(QWidget* parent = nullptr);
    // The same on `profile` (see MakeMapViewProfile), which must outlive the view.
    explicit WebEngineMapView(QWebEngineProfile* profile, QWidget* parent = nullptr);

    // Loads `url` as built; characters the network cannot carry (blanks, quotes, accented
    // letters) are percent-encoded by the browser, escapes already present are kept.
    void Navigate(const QString& url) override;

    QWebEngineView* Browser() const { return browser_; }

    // To be called before the application object exists. Chromium refuses to start its
    // sandbox in a process run by the system administrator; the map then runs without the
    // sandbox rather than not at all.
    static void PrepareProcess();

private:
    QWebEngineView* browser_;
};

} // namespace tarnel
