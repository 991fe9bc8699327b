#include "platform/desktop/WebEngineMapView.h"

#include "core/DroppedFiles.h"
#include "platform/desktop/MapBridge.h"

#include <QChildEvent>
#include <QDropEvent>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace tarnel {

namespace {

const QString kBridgeScriptName = QStringLiteral("tarnel-qwebchannel");
// The service's map pages, the only ones shown in place.
const QString kMapPagePath = QStringLiteral("/maps");
// How long the page may take to take a search in hand. The entry point answers at once, but a
// renderer still drawing tiles on a loaded machine takes a few hundred milliseconds to run it;
// a page silent for longer is stuck, and a load then serves better.
constexpr int kInPlaceAnswerMs = 1500;

// Scheme, host and port, the port left out when it is the scheme's own, as a browser writes an
// origin ("http://127.0.0.1:41235"); empty for a URL without host.
QUrl OriginOf(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) {
        return {};
    }
    const QString scheme = url.scheme().toLower();
    const int defaultPort = scheme == u"https" ? 443 : 80;
    QUrl origin;
    origin.setScheme(scheme);
    origin.setHost(url.host());
    if (url.port(defaultPort) != defaultPort) {
        origin.setPort(url.port());
    }
    return origin;
}

// Tells the view where the main frame is going before it leaves, so that the channel is taken
// away before a page of another origin exists, and is there for the service's page from its
// first script on.
class ServicePage : public QWebEnginePage {
public:
    ServicePage(QWebEngineProfile* profile, QObject* parent)
        : QWebEnginePage(profile, parent) {}
    std::function<void(const QUrl&)> leaving;
    std::function<void(const QUrl&)> fileAsked;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        // Only a drop that got past the view's filter leads the map to a local file: the map
        // stays, the file is handed on.
        if (isMainFrame && url.isLocalFile()) {
            if (fileAsked) {
                fileAsked(url);
            }
            return false;
        }
        if (isMainFrame && leaving) {
            leaving(url);
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
};

// qwebchannel.js as Qt ships it, run only in a document of `origin`.
QString BridgeScriptSource(const QUrl& origin) {
    QFile library(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!library.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString expected = origin.toString(QUrl::FullyEncoded);
    return QStringLiteral("if (window.location.origin === '%1') {\n%2\n}\n")
        .arg(expected, QString::fromUtf8(library.readAll()));
}

} // namespace

WebEngineMapView::WebEngineMapView(QWidget* parent)
    : WebEngineMapView(QWebEngineProfile::defaultProfile(), parent) {
}

WebEngineMapView::WebEngineMapView(QWebEngineProfile* profile, QWidget* parent)
    : MapView(parent)
    , browser_(new QWebEngineView(this))
    , channel_(new QWebChannel(this))
    , bridge_(new MapBridge([this] { return Trusted(browser_->page()->url()); }, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(browser_);
    // Chromium's widget inside the browser is made and replaced with the page's render view.
    browser_->installEventFilter(this);
    for (QObject* child : browser_->children()) {
        child->installEventFilter(this);
    }
    channel_->registerObject(QStringLiteral("tarnel"), bridge_);
    connect(bridge_, &MapBridge::PointTaken, this, &MapView::PointTaken);
    connect(bridge_, &MapBridge::PlacesExportAsked, this, &MapView::PlacesExportAsked);
    connect(bridge_, &MapBridge::AddressFileAsked, this, &MapView::AddressFileAsked);
    auto* page = new ServicePage(profile, browser_);
    page->leaving = [this](const QUrl& url) {
        OfferBridgeFor(url);
    };
    page->fileAsked = [this](const QUrl& url) {
        emit FilesDropped({url.toLocalFile()});
    };
    connect(page, &QWebEnginePage::urlChanged, this, &WebEngineMapView::OfferBridgeFor);
    // A navigation given up (a download, a 204) leaves the page where it was.
    connect(page, &QWebEnginePage::loadStarted, this, [this] { loaded_ = false; });
    connect(page, &QWebEnginePage::loadFinished, this, [this, page](bool ok) {
        loaded_ = ok;
        OfferBridgeFor(page->url());
    });
    browser_->setPage(page);
}

bool WebEngineMapView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == browser_) {
            static_cast<QChildEvent*>(event)->child()->installEventFilter(this);
        }
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (LocalFilePaths(drag->mimeData()).isEmpty()) {
            return false;
        }
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = LocalFilePaths(drop->mimeData());
        if (paths.isEmpty()) {
            return false;
        }
        drop->acceptProposedAction();
        emit FilesDropped(paths);
        return true;
    }
    default:
        return false;
    }
}

void WebEngineMapView::PrepareProcess() {
#ifdef Q_OS_UNIX
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

void WebEngineMapView::Navigate(const QString& url) {
    ++navigations_;
    const QUrl target(url, QUrl::TolerantMode);
    if (InPlace(target)) {
        SearchInPlace(target);
    } else {
        browser_->load(target);
    }
}

void WebEngineMapView::ShowFilePoints(const QList<FilePoint>& points) {
    bridge_->AddFilePoints(points);
}

void WebEngineMapView::ClearFilePoints() {
    bridge_->ClearFilePoints();
}

bool WebEngineMapView::InPlace(const QUrl& url) const {
    const QUrl shown = browser_->page()->url();
    return loaded_ && Trusted(shown) && shown.path() == kMapPagePath && Trusted(url) &&
           url.path() == kMapPagePath;
}

void WebEngineMapView::SearchInPlace(const QUrl& url) {
    const quint64 navigation = navigations_;
    // The address as a load would ask for it, handed over as a JSON string: nothing of it is
    // read as script.
    const QByteArray argument =
        QJsonDocument(QJsonArray{url.toString(QUrl::FullyEncoded)}).toJson(QJsonDocument::Compact);
    const QString script =
        QStringLiteral("typeof window.tarnelSearch === 'function' && window.tarnelSearch(...") +
        QString::fromUtf8(argument) + u')';
    const auto settled = std::make_shared<bool>(false);
    const auto settle = [this, url, navigation, settled](bool taken) {
        if (*settled) {
            return;
        }
        *settled = true;
        if (!taken && navigation == navigations_) {
            browser_->load(url);
        }
    };
    QTimer::singleShot(kInPlaceAnswerMs, this, [settle] { settle(false); });
    browser_->page()->runJavaScript(script, [this, settle](const QVariant& answer) {
        // Through the view's queue: the answer may come while the page is being destroyed.
        QMetaObject::invokeMethod(
            this, [settle, taken = answer.toBool()] { settle(taken); }, Qt::QueuedConnection);
    });
}

void WebEngineMapView::TrustServiceOrigin(const QUrl& serviceUrl) {
    trustedOrigin_ = OriginOf(serviceUrl);
    QWebEngineScriptCollection& scripts = browser_->page()->scripts();
    for (const QWebEngineScript& old : scripts.find(kBridgeScriptName))
        scripts.remove(old);
    if (!trustedOrigin_.isEmpty()) {
        QWebEngineScript script;
        script.setName(kBridgeScriptName);
        script.setSourceCode(BridgeScriptSource(trustedOrigin_));
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::MainWorld);
        script.setRunsOnSubFrames(false);
        scripts.insert(script);
    }
    OfferBridgeFor(browser_->page()->url());
}

bool WebEngineMapView::Trusted(const QUrl& url) const {
    return !trustedOrigin_.isEmpty() && OriginOf(url) == trustedOrigin_;
}

void WebEngineMapView::OfferBridgeFor(const QUrl& url) {
    browser_->page()->setWebChannel(Trusted(url) ? channel_ : nullptr);
}

} // namespace tarnel
