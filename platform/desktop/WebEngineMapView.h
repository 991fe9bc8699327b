#pragma once

#include "platform/MapView.h"

#include <QUrl>

class QWebChannel;
class QWebEngineProfile;
class QWebEngineView;

namespace tarnel {

class MapBridge;

// The map view of the desktop: an embedded Chromium browser filling the widget. Pages of the
// program's own map service (see TrustServiceOrigin) reach the program through Qt WebChannel:
// they find `qt.webChannelTransport` and `QWebChannel` (qwebchannel.js) and the object "tarnel"
// (MapBridge), whose calls come out as PointTaken, PlacesExportAsked and AddressFileAsked, and
// which hands them the points of ShowFilePoints. No page of any other origin gets them. Local
// files dropped on the map come out as FilesDropped; the page never goes to them.
class WebEngineMapView : public MapView {
    Q_OBJECT
public:
    explicit WebEngineMapView(QWidget* parent = nullptr);
    // The same on `profile` (see MakeMapViewProfile), which must outlive the view.
    explicit WebEngineMapView(QWebEngineProfile* profile, QWidget* parent = nullptr);

    // Loads `url` as built; characters the network cannot carry (blanks, quotes, accented
    // letters) are percent-encoded by the browser, escapes already present are kept. When the
    // view shows a loaded map page of the trusted service and `url` is another map page of it
    // ("/maps"), the page shows it in place instead (its `tarnelSearch`), which ends with the
    // view at `url` as a load would; the view loads `url` when the page declines or does not
    // answer within a fraction of a second.
    void Navigate(const QString& url) override;
    void ShowFilePoints(const QList<FilePoint>& points) override;
    void ClearFilePoints() override;

    // Offers the bridge to the pages of the origin (scheme, host and port) of `serviceUrl`, the
    // map service of the run ("http://127.0.0.1:<port>/maps?q="), and to no other. An empty URL
    // offers it to none, as before the first call.
    void TrustServiceOrigin(const QUrl& serviceUrl);

    QWebEngineView* Browser() const { return browser_; }

    // To be called before the application object exists. Chromium refuses to start its
    // sandbox in a process run by the system administrator; the map then runs without the
    // sandbox rather than not at all.
    static void PrepareProcess();

protected:
    // Takes the drags of local files from the browser's widgets before Chromium sees them.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Trusted(const QUrl& url) const;
    // Attaches the channel when `url`, where the main frame is or is about to be, is trusted,
    // detaches it otherwise.
    void OfferBridgeFor(const QUrl& url);
    // Whether the page shown may take `url` in place (see Navigate).
    bool InPlace(const QUrl& url) const;
    // Hands `url` to the page's entry point; loads it when the page declines or stays silent.
    void SearchInPlace(const QUrl& url);

    QWebEngineView* browser_;
    QWebChannel* channel_;
    MapBridge* bridge_;
    QUrl trustedOrigin_;
    bool loaded_ = false;     // the page shown finished loading, and no other load started
    quint64 navigations_ = 0; // Navigate calls so far: an answer for an older one is dropped
};

} // namespace tarnel
