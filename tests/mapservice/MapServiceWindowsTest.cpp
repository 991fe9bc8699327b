// The windows against the program's own map service, with a geocoder of the test's own: the
// address window's lookup and the main window's map both go through the service.

#include "core/LastPositionFile.h"
#include "mapservice/MapService.h"
#include "platform/desktop/WebEngineMapView.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/FakePlatform.h"
#include "ui/address/FRmChCoord.h"
#include "ui/common/WindowContext.h"
#include "ui/main/frmMap.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <atomic>
#include <cmath>
#include <numbers>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

// "#" would end the URL, "&" split the query, "?" start another one, and Łódź has letters
// windows-1252 lacks.
const QString kAwkwardStreet = QStringLiteral("Résidence Les Pins #3 & Co?");
const QString kAwkwardCity = QStringLiteral("Łódź");
const QString kAwkwardAddress =
    QStringLiteral("Résidence Les Pins #3 & Co?, Łódź, Pologne, 90-001");

// Knows two addresses, the window's sample one and one written with the characters that a URL
// gives meaning to, and notes what it is asked.
class SampleGeocoder : public Geocoder {
public:
    GeocodeResult Locate(const QString& address) override {
        ++calls;
        {
            const QMutexLocker lock(&mutex_);
            asked_.append(address);
        }
        if (address.contains(QStringLiteral("Rue de la cité"), Qt::CaseInsensitive))
            return {GeocodeResult::Outcome::Found, {48.8530000, 2.3490000}};
        if (address == kAwkwardAddress)
            return {GeocodeResult::Outcome::Found, {51.7592000, 19.4560000}};
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    QString SourceName() const override { return QStringLiteral("Table de test"); }
    QStringList Asked() const {
        const QMutexLocker lock(&mutex_);
        return asked_;
    }
    void CancelLookups() override {}

    std::atomic<int> calls = 0;

private:
    mutable QMutex mutex_;
    QStringList asked_;
};

// Keeps the map view on the loopback interface: anything else is recorded and refused, so the
// test never reaches the Internet.
class LoopbackOnly : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        if (url.host() == QLatin1String("127.0.0.1"))
            return;
        const QMutexLocker lock(&mutex_);
        refused_.append(url);
        info.block(true);
    }
    QList<QUrl> Refused() const {
        const QMutexLocker lock(&mutex_);
        return refused_;
    }

private:
    mutable QMutex mutex_;
    QList<QUrl> refused_;
};

QString PageText(QWebEnginePage* page) {
    QString text;
    bool done = false;
    page->toPlainText([&](const QString& result) {
        text = result;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return {};
    return text;
}

// The main window with the real map view, kept on the loopback interface.
struct MainWindowOnService {
    explicit MainWindowOnService(WindowContext& context)
        : mapView(new WebEngineMapView)
        , window(context, mapView) {
        mapView->Browser()->page()->profile()->setUrlRequestInterceptor(&interceptor);
        window.show();
    }
    ~MainWindowOnService() {
        mapView->Browser()->page()->profile()->setUrlRequestInterceptor(nullptr);
    }

    LoopbackOnly interceptor;
    WebEngineMapView* mapView; // owned by the window
    frmMap window;
};

} // namespace

class MapServiceWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void addressWindowFindsTheSampleAddress();
    void mainWindowShowsThePageOfItsSearch();
    void addressWindowSendsTheAddressWhole();
    void mainWindowSendsTheAddressWhole();

private:
    SampleGeocoder* france_ = nullptr;
    SampleGeocoder* world_ = nullptr;
    std::unique_ptr<MapService> service_;
    QTemporaryDir programDir_;
    ProgramTexts texts_;
    FakePlatform platform_;
    std::unique_ptr<WindowContext> context_; // the windows keep a reference to it
};

void MapServiceWindowsTest::initTestCase() {
    auto france = std::make_unique<SampleGeocoder>();
    france_ = france.get();
    auto world = std::make_unique<SampleGeocoder>();
    world_ = world.get();
    service_ = std::make_unique<MapService>(std::move(france), std::move(world));
    QVERIFY(service_->Start());
    QVERIFY(programDir_.isValid());
    context_ = std::make_unique<WindowContext>(
        WindowContext{texts_, programDir_.path(), service_->BaseUrl(), platform_.services});
}

void MapServiceWindowsTest::addressWindowFindsTheSampleAddress() {
    FakeMainWindow mainWindow;
    FRmChCoord window(mainWindow, *context_, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();

    QTest::mouseClick(window.findChild<QAbstractButton*>(QStringLiteral("AskGoogleButton")),
                      Qt::LeftButton);
    QTRY_COMPARE(window.findChild<QLineEdit*>(QStringLiteral("Latitude"))->text(),
                 QStringLiteral("48.853000000"));
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("Longitude"))->text(),
             QStringLiteral("2.3490000000"));
    QCOMPARE(france_->calls.load(), 1);
    QVERIFY(platform_.messages.shown.isEmpty());
}

void MapServiceWindowsTest::mainWindowShowsThePageOfItsSearch() {
    MainWindowOnService shown(*context_);
    frmMap& window = shown.window;
    WebEngineMapView* mapView = shown.mapView;
    LoopbackOnly& interceptor = shown.interceptor;

    window.SetBoxText(MainBox::Street, QStringLiteral("Rue de la cité"));
    window.SetBoxText(MainBox::City, QStringLiteral("PARIS"));
    window.SetBoxText(MainBox::State, QStringLiteral("FRANCE"));
    window.SetBoxText(MainBox::ZipCode, QStringLiteral("75004"));
    window.Command3_Click();

    QWebEnginePage* page = mapView->Browser()->page();
    QTRY_VERIFY_WITH_TIMEOUT(PageText(page).contains(QStringLiteral("Rue de la cité")), 60000);
    QVERIFY(PageText(page).contains(QStringLiteral("© contributeurs OpenStreetMap")));
    // The map asked OpenStreetMap for the tile of the place at the page's zoom (16); refused here.
    const int x = static_cast<int>(std::floor((2.349 + 180) / 360 * 65536));
    const double phi = 48.853 * std::numbers::pi / 180;
    const int y = static_cast<int>(std::floor(
        (1 - std::log(std::tan(phi) + 1 / std::cos(phi)) / std::numbers::pi) / 2 * 65536));
    const QUrl tile(u"https://tile.openstreetmap.org/16/%1/%2.png"_qs.arg(x).arg(y));
    QTRY_VERIFY2_WITH_TIMEOUT(interceptor.Refused().contains(tile), qPrintable(tile.toString()),
                              30000);
}

void MapServiceWindowsTest::addressWindowSendsTheAddressWhole() {
    FakeMainWindow mainWindow;
    FRmChCoord window(mainWindow, *context_, nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.findChild<QLineEdit*>(QStringLiteral("Street"))->setText(kAwkwardStreet);
    window.findChild<QLineEdit*>(QStringLiteral("City"))->setText(kAwkwardCity);
    window.findChild<QLineEdit*>(QStringLiteral("State"))->setText(QStringLiteral("Pologne"));
    window.findChild<QLineEdit*>(QStringLiteral("Zip"))->setText(QStringLiteral("90-001"));

    QTest::mouseClick(window.findChild<QAbstractButton*>(QStringLiteral("AskGoogleButton")),
                      Qt::LeftButton);
    QTRY_COMPARE(window.findChild<QLineEdit*>(QStringLiteral("Latitude"))->text(),
                 QStringLiteral("51.759200000"));
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("Longitude"))->text(),
             QStringLiteral("19.456000000"));
    QVERIFY2(world_->Asked().contains(kAwkwardAddress), qPrintable(world_->Asked().join(u'|')));
}

void MapServiceWindowsTest::mainWindowSendsTheAddressWhole() {
    MainWindowOnService shown(*context_);
    frmMap& window = shown.window;
    WebEngineMapView* mapView = shown.mapView;

    window.SetBoxText(MainBox::Street, kAwkwardStreet);
    window.SetBoxText(MainBox::City, kAwkwardCity);
    window.SetBoxText(MainBox::State, QStringLiteral("Pologne"));
    window.SetBoxText(MainBox::ZipCode, QStringLiteral("90-001"));
    window.Command3_Click();

    QTRY_VERIFY_WITH_TIMEOUT(world_->Asked().contains(kAwkwardAddress), 60000);
    QWebEnginePage* page = mapView->Browser()->page();
    QTRY_VERIFY_WITH_TIMEOUT(PageText(page).contains(QStringLiteral("Latitude 51.7592000")), 30000);
    // What is remembered is what was typed, not its escapes.
    const QString typed = kAwkwardStreet + u",+"_qs + kAwkwardCity + u",+Pologne,+90-001"_qs;
    QCOMPARE(texts_.lastPosition, typed);
    QFile saved(QDir(programDir_.path()).filePath(kLastPositionFileName));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), LastPositionFileBytes(typed));
}

QTEST_MAIN(MapServiceWindowsTest)
#include "MapServiceWindowsTest.moc"
