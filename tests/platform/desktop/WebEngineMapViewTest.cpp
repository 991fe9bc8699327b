#include "platform/desktop/WebEngineMapView.h"
#include "core/ProgramTexts.h"
#include "platform/desktop/MapViewProfile.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/standin/StandinMapService.h"
#include "ui/common/WindowContext.h"
#include "ui/main/frmMap.h"

#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>
#include <atomic>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

constexpr int kPageTimeout = 60000;

bool Received(const StandinMapService& service, const QByteArray& rawQuery) {
    const QList<RecordedRequest> requests = service.Requests();
    return std::any_of(requests.cbegin(), requests.cend(), [&rawQuery](const RecordedRequest& r) {
        return r.path == u"/maps" && r.rawQuery == rawQuery;
    });
}

QString RawQueries(const StandinMapService& service) {
    QStringList raw;
    for (const RecordedRequest& request : service.Requests())
        raw.append(QString::fromLatin1(request.rawQuery));
    return QStringLiteral("received: ") + raw.join(QStringLiteral(" | "));
}

} // namespace

// The real embedded browser against the stand-in map service on the loopback interface.
class WebEngineMapViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void navigateSendsUrlAsBuilt_data();
    void navigateSendsUrlAsBuilt();
    void searchReachesService();
    void profileKeepsPagesOnDisk();
    void droppedFileLeavesMap();

private:
    StandinMapService service_;
};

void WebEngineMapViewTest::initTestCase() {
    QVERIFY(service_.Start());
}

void WebEngineMapViewTest::navigateSendsUrlAsBuilt_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QByteArray>("rawQuery");
    QTest::addColumn<QString>("decoded");

    QTest::newRow("coordinates") << "48.8584%2C2.2945" << QByteArray("q=48.8584%2C2.2945")
                                 << "48.8584,2.2945";
    QTest::newRow("address with blanks")
        << "1 rue X,+Paris,+FRANCE,+75001" << QByteArray("q=1%20rue%20X,+Paris,+FRANCE,+75001")
        << "1 rue X, Paris, FRANCE, 75001";
    QTest::newRow("accents") << QStringLiteral("Rue de la cité,+PARIS")
                             << QByteArray("q=Rue%20de%20la%20cit%C3%A9,+PARIS")
                             << QStringLiteral("Rue de la cité, PARIS");
    QTest::newRow("escaped hash, ampersand and question mark; letters beyond windows-1252")
        << QStringLiteral("Les Pins %233 %26 Co%3F,+Łódź")
        << QByteArray("q=Les%20Pins%20%233%20%26%20Co%3F,+%C5%81%C3%B3d%C5%BA")
        << QStringLiteral("Les Pins #3 & Co?, Łódź");
    QTest::newRow("degrees minutes seconds")
        << QStringLiteral("48°51'23\"%2C2°17'40\"")
        << QByteArray("q=48%C2%B051%2723%22%2C2%C2%B017%2740%22")
        << QStringLiteral("48°51'23\",2°17'40\"");
}

void WebEngineMapViewTest::navigateSendsUrlAsBuilt() {
    QFETCH(QString, query);
    QFETCH(QByteArray, rawQuery);
    QFETCH(QString, decoded);

    WebEngineMapView view;
    view.resize(400, 300);
    view.show();
    view.Navigate(service_.BaseUrl() + query);

    QTRY_VERIFY2_WITH_TIMEOUT(Received(service_, rawQuery), qPrintable(RawQueries(service_)),
                              kPageTimeout);
    const QList<RecordedRequest> requests = service_.Requests();
    const auto request =
        std::find_if(requests.cbegin(), requests.cend(),
                     [&rawQuery](const auto& r) { return r.rawQuery == rawQuery; });
    QCOMPARE(request->q, decoded);
    // The page the service answered is the one shown.
    QTRY_COMPARE_WITH_TIMEOUT(view.Browser()->title(), QStringLiteral("Carte - ") + decoded,
                              kPageTimeout);
}

void WebEngineMapViewTest::searchReachesService() {
    QTemporaryDir dir;
    ProgramTexts texts;
    FakePlatform platform;
    WindowContext context{texts, dir.path(), service_.BaseUrl(), platform.services};
    frmMap window(context, new WebEngineMapView);
    window.show();

    QTRY_VERIFY_WITH_TIMEOUT(Received(service_, "q="), kPageTimeout);
    QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("txtLat")), "-33.8568");
    QTest::keyClicks(window.findChild<QLineEdit*>(QStringLiteral("txtLong")), "151.2153");
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Command4")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(Received(service_, "q=-33.8568%2C151.2153"), kPageTimeout);
}

void WebEngineMapViewTest::profileKeepsPagesOnDisk() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    std::atomic<int> hits = 0;
    LoopbackServer tiles;
    tiles.Server().Get("/tile", [&hits](const httplib::Request&, httplib::Response& response) {
        ++hits;
        // What the tile servers send: the tile may be kept for a while.
        response.set_header("Cache-Control", "max-age=86400");
        response.set_header("Set-Cookie", "visit=1; Max-Age=86400; Path=/");
        response.set_content("<!DOCTYPE html><title>Tuile</title>", "text/html");
    });
    QVERIFY(tiles.Start());
    const QUrl url(tiles.Url(u"/tile"_qs));

    // Two runs of the program, each with its own profile on the same folder.
    for (int run = 0; run < 2; ++run) {
        QWebEngineProfile* profile = MakeMapViewProfile(folder.path());
        QVERIFY(!profile->isOffTheRecord());
        QCOMPARE(profile->httpCacheType(), QWebEngineProfile::DiskHttpCache);
        QCOMPARE(profile->httpCacheMaximumSize(), 200 * 1024 * 1024);
        QCOMPARE(profile->persistentCookiesPolicy(), QWebEngineProfile::NoPersistentCookies);
        QVERIFY(profile->cachePath().startsWith(folder.path()));
        QVERIFY(profile->persistentStoragePath().startsWith(folder.path()));
        {
            WebEngineMapView view(profile);
            view.Navigate(url.toString());
            QTRY_COMPARE_WITH_TIMEOUT(view.Browser()->title(), u"Tuile"_qs, kPageTimeout);
        }
        delete profile;
    }
    // The second run found the page in the disk cache.
    QCOMPARE(hits.load(), 1);
}

// A local file dropped on the browser's own widget, as a file manager drops it: handed on,
// and the map page stays.
void WebEngineMapViewTest::droppedFileLeavesMap() {
    WebEngineMapView view;
    view.show();
    QSignalSpy loaded(view.Browser(), &QWebEngineView::loadFinished);
    view.Navigate(service_.BaseUrl() + u"48.8584,2.2945"_qs);
    QVERIFY(loaded.wait(kPageTimeout));
    const QUrl shown = view.Browser()->url();
    QSignalSpy dropped(&view, &MapView::FilesDropped);
    const QString file = u"/tmp/clients.csv"_qs;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QWidget* target = view.Browser()->focusProxy();
    QVERIFY(target);
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QTest::qWait(500);
    QCOMPARE(dropped.size(), 1);
    // Chromium loads a file dropped on it in the view, as this does: were the drop above to reach
    // it, the file would come twice. Such a load is refused, the file handed on.
    view.Browser()->load(QUrl::fromLocalFile(file));
    QTRY_COMPARE_WITH_TIMEOUT(dropped.size(), 2, kPageTimeout);
    QCOMPARE(dropped[0][0].toStringList(), QStringList{file});
    QCOMPARE(dropped[1][0].toStringList(), QStringList{file});
    QTest::qWait(500);
    QCOMPARE(view.Browser()->url(), shown);
}

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WebEngineMapViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WebEngineMapViewTest.moc"
