#include "mapservice/MapPage.h"
#include "mapservice/MapService.h"
#include "mapservice/StaticFiles.h"
#include "platform/desktop/MapViewProfile.h"
#include "platform/desktop/WebEngineMapView.h"
#include "tests/support/LoopbackServer.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMutex>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <numbers>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

constexpr int kWait = 30000;
const Place kEiffel{48.8584, 2.2945};
constexpr int kZoom = 16; // the page's zoom on a place
const QByteArray kAgent = OpenDataUserAgent(u"essais@example.org"_qs);

// Web Mercator: the world is 256 × 2^zoom pixels wide, x from the antimeridian, y from the north.
QPointF WorldPixel(double latitude, double longitude, int zoom) {
    const double size = 256.0 * std::pow(2.0, zoom);
    const double phi = latitude * std::numbers::pi / 180;
    return {(longitude + 180) / 360 * size,
            (1 - std::log(std::tan(phi) + 1 / std::cos(phi)) / std::numbers::pi) / 2 * size};
}

Place PlaceAt(const QPointF& pixel, int zoom) {
    const double size = 256.0 * std::pow(2.0, zoom);
    const double n = std::numbers::pi * (1 - 2 * pixel.y() / size);
    return {std::atan(std::sinh(n)) * 180 / std::numbers::pi, pixel.x() / size * 360 - 180};
}

QByteArray TilePng() {
    QImage image(256, 256, QImage::Format_RGB32);
    image.fill(QColor(170, 211, 223));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

struct TileRequest {
    QString layer;
    int z, x, y;
    QByteArray agent, referer;
};

// The tile servers' stand-in: "/<layer>/<z>/<x>/<y>.png", every request kept; refuses them all
// (403, as a blocked application gets) when told to.
class TileStandIn {
public:
    TileStandIn() {
        server_.Server().Get(
            R"(/(\w+)/(\d+)/(\d+)/(\d+)\.png)",
            [this](const httplib::Request& request, httplib::Response& response) {
                const QMutexLocker lock(&mutex_);
                requests_.append({QString::fromStdString(request.matches[1].str()),
                                  std::stoi(request.matches[2].str()),
                                  std::stoi(request.matches[3].str()),
                                  std::stoi(request.matches[4].str()),
                                  QByteArray::fromStdString(request.get_header_value("User-Agent")),
                                  QByteArray::fromStdString(request.get_header_value("Referer"))});
                if (refuse_) {
                    response.status = 403;
                    return;
                }
                response.set_header("Cache-Control", "max-age=604800");
                response.set_content(png_.toStdString(), "image/png");
            });
        QVERIFY(server_.Start());
    }
    TileUrls Urls() const {
        const QString base = server_.Url(u""_qs);
        return {base + u"/osm/{z}/{x}/{y}.png"_qs, base + u"/plan/{z}/{x}/{y}.png"_qs,
                base + u"/ortho/{z}/{x}/{y}.png"_qs};
    }
    QList<TileRequest> Requests() const {
        const QMutexLocker lock(&mutex_);
        return requests_;
    }
    std::atomic<bool> refuse_ = false;

private:
    LoopbackServer server_;
    const QByteArray png_ = TilePng();
    mutable QMutex mutex_;
    QList<TileRequest> requests_;
};

// What the program's bridge receives from the page.
class FakeBridge : public QObject {
    Q_OBJECT
public:
    QStringList taken;
public slots:
    void reprendrePoint(const QString& latitude, const QString& longitude, const QString& street,
                        const QString& city, const QString& postcode, const QString& country) {
        taken = {latitude, longitude, street, city, postcode, country};
    }
};

QVariant Run(QWebEnginePage* page, const QString& script) {
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    return QTest::qWaitFor([&] { return done; }, 10000) ? result : QVariant();
}

QString Text(QWebEnginePage* page, const QString& selector) {
    return Run(page, u"(document.querySelector('%1') || {}).textContent || ''"_qs.arg(selector))
        .toString();
}

// A fresh profile on its own folder, naming the program as the real one does.
struct Browser {
    Browser()
        : profile(MakeMapViewProfile(folder.path(), nullptr, kAgent))
        , view(new WebEngineMapView(profile)) {
        view->resize(800, 600);
        view->show();
    }
    ~Browser() {
        delete view; // its page first, then the profile
        delete profile;
    }
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;
    QWebEnginePage* Page() const { return view->Browser()->page(); }
    bool Open(const QString& url) {
        QSignalSpy loaded(Page(), &QWebEnginePage::loadFinished);
        view->Navigate(url);
        return loaded.wait(kWait) &&
               QTest::qWaitFor(
                   [this] {
                       return Run(Page(), u"document.getElementById('carte')?.dataset.pret"_qs) ==
                              u"oui"_qs;
                   },
                   kWait);
    }
    // The map's box in the view, in pixels.
    QRectF MapBox() {
        const QVariantList box =
            Run(Page(), u"(r => [r.left, r.top, r.width, r.height])("
                        "document.getElementById('carte').getBoundingClientRect())"_qs)
                .toList();
        return box.size() == 4 ? QRectF(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(),
                                        box[3].toDouble())
                               : QRectF();
    }
    void Click(const QPointF& at) {
        QTest::mouseClick(view->Browser()->focusProxy(), Qt::LeftButton, {}, at.toPoint());
    }

    QTemporaryDir folder;
    QWebEngineProfile* profile;
    WebEngineMapView* view;
};

// The decimal form the panel shows first, as two numbers.
Place ShownDecimal(QWebEnginePage* page) {
    const QStringList parts = Text(page, u"#formes li .texte"_qs).split(u", "_qs);
    return parts.size() == 2 ? Place{parts[0].toDouble(), parts[1].toDouble()} : Place{999, 999};
}

} // namespace

// The map page in the real engine: its layers, a point picked, the panel, tiles out of reach.
class MapPageEngineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pickGivesTheMercatorPoint_data();
    void pickGivesTheMercatorPoint();
    void tilesAskedAsThePolicyWants();
    void layerChoiceIsRemembered();
    void tilesOutOfReachAreSaid_data();
    void tilesOutOfReachAreSaid();
    void panelShowsTheServiceAnswers_data();
    void panelShowsTheServiceAnswers();

private:
    std::unique_ptr<TileStandIn> tiles_;
    std::unique_ptr<MapService> service_;
};

void MapPageEngineTest::initTestCase() {
    tiles_ = std::make_unique<TileStandIn>();
    service_ = std::make_unique<MapService>(nullptr, nullptr, TileLayersOf(tiles_->Urls()));
    QVERIFY(service_->Start());
}

void MapPageEngineTest::pickGivesTheMercatorPoint_data() {
    QTest::addColumn<QPoint>("offset"); // from the map's centre, for a click
    QTest::addColumn<int>("key");       // or a key pressed on the focused map
    QTest::newRow("click north-east") << QPoint(150, -100) << 0;
    QTest::newRow("click south-west, far") << QPoint(-330, 220) << 0;
    QTest::newRow("Enter under the cross") << QPoint() << int(Qt::Key_Return);
    QTest::newRow("Space under the cross") << QPoint() << int(Qt::Key_Space);
}

void MapPageEngineTest::pickGivesTheMercatorPoint() {
    QFETCH(QPoint, offset);
    QFETCH(int, key);
    Browser browser;
    QVERIFY(browser.Open(service_->BaseUrl() + u"48.8584%2C2.2945"_qs));
    const QRectF box = browser.MapBox();
    QVERIFY(box.width() > 300 && box.height() > 300);
    if (key) {
        Run(browser.Page(), u"document.getElementById('carte').focus()"_qs);
        QTest::keyClick(browser.view->Browser()->focusProxy(), Qt::Key(key));
    } else {
        browser.Click(box.center() + offset);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!Text(browser.Page(), u"#formes"_qs).isEmpty(), 10000);
    const Place shown = ShownDecimal(browser.Page());
    const Place expected =
        PlaceAt(WorldPixel(kEiffel.latitude, kEiffel.longitude, kZoom) + QPointF(offset), kZoom);
    // Leaflet rounds the map's origin to whole pixels: a pixel is the tolerance.
    const double pixel = 360.0 / (256 * std::pow(2.0, kZoom));
    QVERIFY2(std::abs(shown.latitude - expected.latitude) < pixel &&
                 std::abs(shown.longitude - expected.longitude) < pixel,
             qPrintable(u"%1, %2 shown; %3, %4 expected"_qs.arg(shown.latitude, 0, 'f', 7)
                            .arg(shown.longitude, 0, 'f', 7)
                            .arg(expected.latitude, 0, 'f', 7)
                            .arg(expected.longitude, 0, 'f', 7)));
    // Announced to screen readers in the same decimals.
    QVERIFY(Text(browser.Page(), u"#annonce"_qs)
                .contains(u"latitude %1"_qs.arg(shown.latitude, 0, 'f', 7)));
    QVERIFY(!Run(browser.Page(), u"document.getElementById('panneau').hidden"_qs).toBool());
}

void MapPageEngineTest::tilesAskedAsThePolicyWants() {
    const qsizetype before = tiles_->Requests().size();
    Browser browser;
    QVERIFY(browser.Open(service_->BaseUrl() + u"48.8584%2C2.2945"_qs));
    QTRY_VERIFY_WITH_TIMEOUT(tiles_->Requests().size() > before + 3, kWait);
    QTest::qWait(500);
    const QRectF box = browser.MapBox();
    const QPointF centre = WorldPixel(kEiffel.latitude, kEiffel.longitude, kZoom);
    const QList<TileRequest> requests = tiles_->Requests().mid(before);
    const QByteArray referer =
        QStringLiteral("http://127.0.0.1:%1/").arg(service_->Port()).toLatin1();
    for (const TileRequest& request : requests) {
        QCOMPARE(request.layer, u"osm"_qs);
        QCOMPARE(request.z, kZoom);
        // Only the tiles the view shows: nothing fetched ahead.
        QVERIFY(request.x >= std::floor((centre.x() - box.width() / 2) / 256) - 0 &&
                request.x <= std::floor((centre.x() + box.width() / 2) / 256));
        QVERIFY(request.y >= std::floor((centre.y() - box.height() / 2) / 256) &&
                request.y <= std::floor((centre.y() + box.height() / 2) / 256));
        // The engine's own tokens, then the program's name, version and contact.
        QVERIFY2(request.agent.contains("QtWebEngine/") && request.agent.endsWith(" " + kAgent),
                 request.agent.constData());
        QCOMPARE(request.referer, referer);
    }
}

void MapPageEngineTest::layerChoiceIsRemembered() {
    Browser browser;
    QVERIFY(browser.Open(service_->BaseUrl() + u"48.8584%2C2.2945"_qs));
    QCOMPARE(Run(browser.Page(), u"document.getElementById('carte').dataset.fond"_qs).toString(),
             u"osm"_qs);
    const QStringList names =
        Run(browser.Page(), u"[...document.querySelectorAll('.leaflet-control-layers-base label')]"
                            ".map(l => l.textContent.trim())"_qs)
            .toStringList();
    QCOMPARE(names,
             (QStringList{u"OpenStreetMap"_qs, u"Plan IGN"_qs, u"Photographies aériennes IGN"_qs}));
    const qsizetype before = tiles_->Requests().size();
    Run(browser.Page(),
        u"document.querySelectorAll('.leaflet-control-layers-base input')[1].click()"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(
        tiles_->Requests().size() > before && tiles_->Requests().last().layer == u"plan"_qs, kWait);
    QVERIFY(Text(browser.Page(), u".leaflet-control-attribution"_qs).contains(u"© IGN"_qs));
    // The next page of the same profile opens on the layer chosen.
    QVERIFY(browser.Open(service_->BaseUrl() + u"45.76%2C4.83"_qs));
    QCOMPARE(Run(browser.Page(), u"document.getElementById('carte').dataset.fond"_qs).toString(),
             u"plan"_qs);
}

void MapPageEngineTest::tilesOutOfReachAreSaid_data() {
    QTest::addColumn<bool>("refused"); // the server refuses; otherwise nothing listens
    QTest::newRow("no connection") << false;
    QTest::newRow("refused by the tile server") << true;
}

void MapPageEngineTest::tilesOutOfReachAreSaid() {
    QFETCH(bool, refused);
    // A port of the loopback interface nothing listens on any more: connections are refused, as
    // without a network.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const TileUrls nowhere{u"http://127.0.0.1:%1/osm/{z}/{x}/{y}.png"_qs.arg(closed.serverPort()),
                           QString(), QString()};
    closed.close();
    MapService service(nullptr, nullptr, TileLayersOf(refused ? tiles_->Urls() : nowhere));
    QVERIFY(service.Start());
    tiles_->refuse_ = refused;
    Browser browser;
    QVERIFY(browser.Open(service.BaseUrl() + u"48.8584%2C2.2945"_qs));
    QTRY_VERIFY_WITH_TIMEOUT(
        !Run(browser.Page(), u"document.getElementById('avis-tuiles').hidden"_qs).toBool(), kWait);
    tiles_->refuse_ = false;
    QVERIFY(
        Text(browser.Page(), u"#avis-tuiles"_qs).startsWith(u"La carte ne peut pas s'afficher"_qs));
    // The page stays ours, its marker on the plain background, and a point can still be picked.
    QCOMPARE(browser.Page()->url().path(), u"/maps"_qs);
    QCOMPARE(
        Run(browser.Page(), u"document.querySelectorAll('.leaflet-marker-icon').length"_qs).toInt(),
        1);
    QCOMPARE(Run(browser.Page(), u"document.querySelectorAll('img.leaflet-tile-loaded').length"_qs)
                 .toInt(),
             0);
    browser.Click(browser.MapBox().center() + QPointF(40, 40));
    QTRY_VERIFY_WITH_TIMEOUT(Text(browser.Page(), u"#formes"_qs).contains(u"48.85"_qs), 10000);
}

void MapPageEngineTest::panelShowsTheServiceAnswers_data() {
    QTest::addColumn<QByteArray>("answer"); // of /adresse; empty: no such route
    QTest::addColumn<QString>("address");   // what the panel says
    QTest::addColumn<QStringList>("taken"); // what the bridge receives after the point
    // The label and parts of a house number of the Base Adresse Nationale's documentation
    // (adresse.data.gouv.fr, "8 bd du port" example), in the service's shape.
    QTest::newRow("found")
        << QByteArray(
               R"({"status":"found","message":"","label":"8 Boulevard du Port 80000 Amiens","street":"8 Boulevard du Port","city":"Amiens","postcode":"80000","country":"France","distance":1234.5,"source":"Base Adresse Nationale"})")
        << u"8 Boulevard du Port 80000 Amiens, à 1,2 km (Base Adresse Nationale)"_qs
        << QStringList{u"8 Boulevard du Port"_qs, u"Amiens"_qs, u"80000"_qs, u"France"_qs};
    QTest::newRow("none")
        << QByteArray(
               R"({"status":"none","message":"Aucune adresse n'est connue près de ce point."})")
        << u"Aucune adresse n'est connue près de ce point."_qs
        << QStringList{QString(), QString(), QString(), QString()};
    QTest::newRow("service without the route")
        << QByteArray()
        << u"Les services de recherche d'adresses sont injoignables : l'ordinateur n'est sans doute pas connecté à Internet."_qs
        << QStringList{QString(), QString(), QString(), QString()};
}

void MapPageEngineTest::panelShowsTheServiceAnswers() {
    QFETCH(QByteArray, answer);
    QFETCH(QString, address);
    QFETCH(QStringList, taken);
    // The service as the page sees it: its page and files, and the two answers of a point.
    QStringList asked;
    QMutex mutex;
    LoopbackServer service;
    auto& routes = service.Server();
    const std::vector<TileLayer> layers = TileLayersOf(tiles_->Urls());
    routes.Get("/maps", [&layers](const httplib::Request&, httplib::Response& response) {
        const QByteArray page =
            MapPageHtml({.query = u"48.8584,2.2945"_qs, .place = kEiffel}, layers);
        response.set_content(page.toStdString(), "text/html; charset=utf-8");
    });
    routes.Get(R"(/carte/(.+))", [](const httplib::Request& request, httplib::Response& response) {
        const StaticFile file = PageFile(QString::fromStdString(request.matches[1].str()));
        response.set_content(file.body.toStdString(), file.type.toStdString());
    });
    routes.Get(R"(/leaflet/(.+))", [](const httplib::Request& request,
                                      httplib::Response& response) {
        const StaticFile file = LeafletFile(QString::fromStdString(request.matches[1].str()), {});
        response.set_content(file.body.toStdString(), file.type.toStdString());
    });
    routes.Get("/point", [&](const httplib::Request& request, httplib::Response& response) {
        const QString lat = QString::fromStdString(request.get_param_value("lat"));
        const QString lon = QString::fromStdString(request.get_param_value("lon"));
        const QMutexLocker lock(&mutex);
        asked.append(lat + u' ' + lon);
        response.set_content(
            u"{\"forms\":[{\"key\":\"dd\",\"name\":\"Degrés décimaux\",\"text\":\"%1, %2\"},"
            "{\"key\":\"l93\",\"name\":\"Lambert 93\",\"text\":\"X 648 237 m, Y 6 862 271 m\"}]}"_qs
                .arg(lat, lon)
                .toStdString(),
            "application/json");
    });
    if (!answer.isEmpty()) {
        routes.Get("/adresse", [&answer](const httplib::Request&, httplib::Response& response) {
            response.set_content(answer.toStdString(), "application/json");
        });
    }
    QVERIFY(service.Start());

    Browser browser;
    // The bridge as the program offers it: the channel's script, then the object "tarnel".
    QFile channelScript(u":/qtwebchannel/qwebchannel.js"_qs);
    QVERIFY(channelScript.open(QIODevice::ReadOnly));
    QWebEngineScript script;
    script.setSourceCode(QString::fromUtf8(channelScript.readAll()));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    browser.Page()->scripts().insert(script);
    QWebChannel channel;
    FakeBridge bridge;
    channel.registerObject(u"tarnel"_qs, &bridge);
    browser.Page()->setWebChannel(&channel);

    QVERIFY(browser.Open(service.Url(u"/maps"_qs)));
    browser.Click(browser.MapBox().center() + QPointF(-60, 30));
    QTRY_COMPARE_WITH_TIMEOUT(Text(browser.Page(), u"#adresse"_qs), address, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(
        Run(browser.Page(), u"document.querySelectorAll('#formes li').length"_qs).toInt(), 2,
        10000);
    QCOMPARE(asked.size(), 1);
    const QStringList point = asked.first().split(u' ');
    QCOMPARE(Text(browser.Page(), u"#formes li .texte"_qs), point[0] + u", "_qs + point[1]);
    QCOMPARE(Text(browser.Page(), u"#formes li:nth-child(2) .nom"_qs), u"Lambert 93"_qs);

    // A copy button puts its form on the clipboard.
    const QVariantList button =
        Run(browser.Page(),
            u"(r => [r.left + r.width / 2, r.top + r.height / 2])(document.querySelector("
            "'#formes li:nth-child(2) .copier').getBoundingClientRect())"_qs)
            .toList();
    QCOMPARE(button.size(), 2);
    browser.Click(QPointF(button[0].toDouble(), button[1].toDouble()));
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(),
                              u"X 648 237 m, Y 6 862 271 m"_qs, 5000);

    // The take-over button hands the bridge the point's decimals and the address parts found.
    QTRY_VERIFY_WITH_TIMEOUT(
        !Run(browser.Page(), u"document.getElementById('reprendre').hidden"_qs).toBool(), 10000);
    Run(browser.Page(), u"document.getElementById('reprendre').click()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(bridge.taken.size(), 6, 10000);
    QCOMPARE(bridge.taken.mid(0, 2), point);
    QCOMPARE(bridge.taken.mid(2), taken);
}

QTEST_MAIN(MapPageEngineTest)
#include "MapPageEngineTest.moc"
