#include "FakeGeocoderServer.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "mapservice/MapPage.h"
#include "mapservice/MapService.h"
#include "mapservice/PointFactJson.h"
#include "mapservice/StaticFiles.h"
#include "platform/desktop/MapViewProfile.h"
#include "platform/desktop/WebEngineMapView.h"
#include "tests/support/LoopbackServer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMutex>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>
#include <array>
#include <atomic>
#include <cmath>
#include <numbers>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

constexpr int kWait = 30000;
const Place kEiffel{48.8584, 2.2945};
const QString kEiffelQuery = u"48.8584%2C2.2945"_qs;
constexpr int kZoom = 16; // the page's zoom on a place
const QByteArray kAgent = OpenDataUserAgent(u"essais@example.org"_qs);
const double kPixelWorld = 256 * std::pow(2.0, kZoom);

// Web Mercator at kZoom: the world is kPixelWorld pixels wide, x from the antimeridian, y from
// the north.
QPointF WorldPixel(const Place& place) {
    const double phi = place.latitude * std::numbers::pi / 180;
    return {(place.longitude + 180) / 360 * kPixelWorld,
            (1 - std::log(std::tan(phi) + 1 / std::cos(phi)) / std::numbers::pi) / 2 * kPixelWorld};
}

Place PlaceAt(const QPointF& pixel) {
    const double n = std::numbers::pi * (1 - 2 * pixel.y() / kPixelWorld);
    return {std::atan(std::sinh(n)) * 180 / std::numbers::pi, pixel.x() / kPixelWorld * 360 - 180};
}

struct TileRequest {
    QString path;
    QByteArray agent, referer;
};

// The tile servers' stand-in: "/<layer>/<z>/<x>/<y>.png", every request kept; refuses them all
// (403, as a blocked application gets) when told to.
struct TileStandIn {
    TileStandIn() {
        server.Server().Get(R"(/\w+/\d+/\d+/\d+\.png)", [this](const httplib::Request& request,
                                                               httplib::Response& response) {
            const QMutexLocker lock(&mutex);
            requests.append({QString::fromStdString(request.path),
                             QByteArray::fromStdString(request.get_header_value("User-Agent")),
                             QByteArray::fromStdString(request.get_header_value("Referer"))});
            if (refuse) {
                response.status = 403;
                return;
            }
            // A 1 × 1 white PNG.
            response.set_content(QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQ"
                                                        "d1PeAAAADElEQVR4nGP4//8/AAX+Av4N70a4AAAA"
                                                        "AElFTkSuQmCC")
                                     .toStdString(),
                                 "image/png");
        });
        QVERIFY(server.Start());
    }
    TileUrls Urls() const {
        const QString base = server.Url(u""_qs);
        return {base + u"/osm/{z}/{x}/{y}.png"_qs, base + u"/plan/{z}/{x}/{y}.png"_qs,
                base + u"/ortho/{z}/{x}/{y}.png"_qs};
    }
    QList<TileRequest> Since(qsizetype first) {
        const QMutexLocker lock(&mutex);
        return requests.mid(first);
    }
    LoopbackServer server;
    QMutex mutex;
    QList<TileRequest> requests;
    std::atomic<bool> refuse = false;
};

// A fresh profile on its own folder, naming the program as the real one does.
struct Browser {
    Browser()
        : profile(MakeMapViewProfile(folder.path(), nullptr, kAgent,
                                     QUrl(u"http://127.0.0.1/maps?q="_qs)))
        , view(new WebEngineMapView(profile)) {
        view->resize(800, 600);
        view->show();
    }
    ~Browser() {
        delete view; // its page first, then the profile
        delete profile;
    }
    QWebEnginePage* Page() const { return view->Browser()->page(); }
    QVariant Js(const QString& script) const {
        QVariant result;
        bool done = false;
        Page()->runJavaScript(script, [&](const QVariant& value) {
            result = value;
            done = true;
        });
        return QTest::qWaitFor([&] { return done; }, 10000) ? result : QVariant();
    }
    bool Hidden(const QString& id) const {
        return Js(u"document.getElementById('%1').hidden"_qs.arg(id)).toBool();
    }
    QString Text(const QString& selector) const {
        return Js(u"document.querySelector('%1')?.textContent || ''"_qs.arg(selector)).toString();
    }
    bool Open(const QString& url) {
        QSignalSpy loaded(Page(), &QWebEnginePage::loadFinished);
        view->Navigate(url);
        return loaded.wait(kWait) &&
               QTest::qWaitFor([this] { return Js(u"map.dataset.ready"_qs) == u"yes"_qs; }, kWait);
    }
    // The box of the element `selector` in the view, in pixels.
    QRectF Box(const QString& selector) const {
        const QVariantList box =
            Js(u"(r => [r.left, r.top, r.width, r.height])("
               "document.querySelector('%1').getBoundingClientRect())"_qs.arg(selector))
                .toList();
        return box.size() == 4 ? QRectF(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(),
                                        box[3].toDouble())
                               : QRectF();
    }
    void Click(const QPointF& at) const {
        QTest::mouseClick(view->Browser()->focusProxy(), Qt::LeftButton, {}, at.toPoint());
    }

    QTemporaryDir folder;
    QWebEngineProfile* profile;
    WebEngineMapView* view;
};

} // namespace

// The map page in the real engine: its layers, a point picked, the panel, tiles out of reach.
class MapPageEngineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pickGivesTheMercatorPoint_data();
    void pickGivesTheMercatorPoint();
    void layersAskedAsThePolicyWants();
    void tilesOutOfReachAreSaid_data();
    void tilesOutOfReachAreSaid();
    void panelShowsTheServiceAnswers_data();
    void panelShowsTheServiceAnswers();
    void crossShowsUnderKeyboardFocusOnly_data();
    void crossShowsUnderKeyboardFocusOnly();
    void searchMovesThePageInPlace_data();
    void searchMovesThePageInPlace();

private:
    TileStandIn tiles_;
    std::unique_ptr<MapService> service_;
    FakeGeocoderServer geocoder_;
    std::unique_ptr<MapService> searching_; // asks geocoder_
};

void MapPageEngineTest::initTestCase() {
    service_ = std::make_unique<MapService>(nullptr, nullptr, TileLayersOf(tiles_.Urls()));
    QVERIFY(service_->Start());
    geocoder_.Set(FakeGeocoderServer::Endpoint::National, u"1 rue X, Paris, 75001"_qs,
                  FakeGeocoderServer::Behaviour::Place, 48.8625, 2.3417);
    geocoder_.Set(FakeGeocoderServer::Endpoint::National, u"Rue Vide, Paris, 75007"_qs,
                  FakeGeocoderServer::Behaviour::Empty);
    searching_ = std::make_unique<MapService>(
        std::make_unique<GeoplateformeGeocoder>(
            geocoder_.SearchUrl(FakeGeocoderServer::Endpoint::National), kAgent),
        nullptr, TileLayersOf(tiles_.Urls()));
    QVERIFY(searching_->Start());
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
    QVERIFY(browser.Open(service_->BaseUrl() + kEiffelQuery));
    if (key) {
        browser.Js(u"map.focus()"_qs);
        QTest::keyClick(browser.view->Browser()->focusProxy(), Qt::Key(key));
    } else {
        browser.Click(browser.Box(u"#map"_qs).center() + offset);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!browser.Text(u"#forms"_qs).isEmpty(), 10000);
    const QStringList shown = browser.Text(u"#forms li .text"_qs).split(u", "_qs);
    QCOMPARE(shown.size(), 2);
    const Place expected = PlaceAt(WorldPixel(kEiffel) + QPointF(offset));
    // Leaflet rounds the map's origin to whole pixels: a pixel is the tolerance.
    QVERIFY2(std::abs(shown[0].toDouble() - expected.latitude) < 360 / kPixelWorld &&
                 std::abs(shown[1].toDouble() - expected.longitude) < 360 / kPixelWorld,
             qPrintable(shown.join(u", "_qs) +
                        u" shown, expected %1, %2"_qs.arg(expected.latitude, 0, 'f', 7)
                            .arg(expected.longitude, 0, 'f', 7)));
    // Announced to screen readers in the same decimals.
    QVERIFY(browser.Text(u"#announcer"_qs).contains(u"latitude "_qs + shown[0]));
}

void MapPageEngineTest::layersAskedAsThePolicyWants() {
    const qsizetype first = tiles_.Since(0).size();
    Browser browser;
    QVERIFY(browser.Open(service_->BaseUrl() + kEiffelQuery));
    QCOMPARE(browser.Js(u"map.dataset.baseLayer"_qs).toString(), u"osm"_qs);
    QCOMPARE(browser
                 .Js(u"[...document.querySelectorAll('.leaflet-control-layers-base label')]"
                     ".map(l => l.textContent.trim())"_qs)
                 .toStringList(),
             (QStringList{u"OpenStreetMap"_qs, u"Plan IGN"_qs, u"Photographies aériennes IGN"_qs}));
    QTRY_VERIFY_WITH_TIMEOUT(tiles_.Since(first).size() >= 6, kWait);
    QTest::qWait(500);
    const QSizeF view = browser.Box(u"#map"_qs).size();
    const QPointF centre = WorldPixel(kEiffel);
    const QString referer = u"http://127.0.0.1:%1/"_qs.arg(service_->Port());
    for (const TileRequest& request : tiles_.Since(first)) {
        const QStringList zxy = request.path.split(u'/').mid(2);
        QCOMPARE(request.path.section(u'/', 1, 1), u"osm"_qs);
        QCOMPARE(zxy[0].toInt(), kZoom);
        // Only the tiles the view shows: nothing fetched ahead.
        QVERIFY(std::abs(zxy[1].toInt() * 256 + 128 - centre.x()) < view.width() / 2 + 128);
        QVERIFY(std::abs(zxy[2].section(u'.', 0, 0).toInt() * 256 + 128 - centre.y()) <
                view.height() / 2 + 128);
        // The engine's own tokens, then the program's name, version and contact.
        QVERIFY2(request.agent.contains("QtWebEngine/") && request.agent.endsWith(" " + kAgent),
                 request.agent.constData());
        QCOMPARE(request.referer, referer.toLatin1());
    }
    const qsizetype before = tiles_.Since(0).size();
    browser.Js(u"document.querySelectorAll('.leaflet-control-layers-base input')[1].click()"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(tiles_.Since(before).size() > 0, kWait);
    QVERIFY(tiles_.Since(before).first().path.startsWith(u"/plan/16/"_qs));
    QVERIFY(browser.Text(u".leaflet-control-attribution"_qs).contains(u"© IGN"_qs));
    // The next run's service, on another port, opens on the layer chosen.
    MapService nextRun(nullptr, nullptr, TileLayersOf(tiles_.Urls()));
    QVERIFY(nextRun.Start());
    QVERIFY(browser.Open(nextRun.BaseUrl() + u"45.76%2C4.83"_qs));
    QCOMPARE(browser.Js(u"map.dataset.baseLayer"_qs).toString(), u"plan"_qs);
}

void MapPageEngineTest::tilesOutOfReachAreSaid_data() {
    QTest::addColumn<bool>("refused"); // the server refuses; otherwise nothing listens
    QTest::newRow("no connection") << false;
    QTest::newRow("refused by the tile server") << true;
}

void MapPageEngineTest::tilesOutOfReachAreSaid() {
    QFETCH(bool, refused);
    // A loopback port nothing listens on any more: connections are refused, as offline.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const TileUrls nowhere{u"http://127.0.0.1:%1/osm/{z}/{x}/{y}.png"_qs.arg(closed.serverPort()),
                           QString(), QString()};
    closed.close();
    MapService service(nullptr, nullptr, TileLayersOf(refused ? tiles_.Urls() : nowhere));
    QVERIFY(service.Start());
    tiles_.refuse = refused;
    Browser browser;
    QVERIFY(browser.Open(service.BaseUrl() + kEiffelQuery));
    QTRY_VERIFY_WITH_TIMEOUT(!browser.Hidden(u"tile-notice"_qs), kWait);
    tiles_.refuse = false;
    QVERIFY(browser.Text(u"#tile-notice"_qs).startsWith(u"La carte ne peut pas s'afficher"_qs));
    // The page stays ours, its marker on the plain background, and a point can still be picked.
    QCOMPARE(browser.Page()->url().path(), u"/maps"_qs);
    QCOMPARE(browser
                 .Js(u"document.querySelectorAll('.leaflet-marker-icon, "
                     "img.leaflet-tile-loaded').length"_qs)
                 .toInt(),
             1);
    browser.Click(browser.Box(u"#map"_qs).center() + QPointF(40, 40));
    QTRY_VERIFY_WITH_TIMEOUT(browser.Text(u"#forms"_qs).contains(u"48.85"_qs), 10000);
}

void MapPageEngineTest::panelShowsTheServiceAnswers_data() {
    QTest::addColumn<QByteArray>("answer"); // of /adresse; empty: no such route
    QTest::addColumn<QString>("address");   // what the panel says
    QTest::addColumn<QStringList>("parts"); // the address parts the bridge receives
    // The answers of /altitude, /commune and /parcelle (none: no route); each line's text, then
    // its source ("-": hidden); the parcel's identifier offered to copy.
    QTest::addColumn<QByteArrayList>("facts");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("idu");
    const QStringList none{QString(), QString(), QString(), QString()};
    using Outcome = GeocodeResult::Outcome;
    // Loctudy's parcel as the issue writes it.
    const CadastralParcel loctudy{Outcome::Found, u"29135000AX0001"_qs, u"000"_qs, u"AX"_qs,
                                  u"0001"_qs,     u"Loctudy"_qs,        7185};
    // The label of the Base Adresse Nationale's documented example ("8 bd du port",
    // adresse.data.gouv.fr), in the service's shape.
    QTest::newRow("found") << QByteArray(R"({"status":"found","message":"","label":)"
                                         R"("8 Boulevard du Port 80000 Amiens","street":)"
                                         R"("8 Boulevard du Port","city":"Amiens","postcode":)"
                                         R"("80000","country":"France","distance":1234.5,)"
                                         R"("source":"Base Adresse Nationale"})")
                           << u"8 Boulevard du Port 80000 Amiens, à 1,2 km (Base Adresse "
                              "Nationale)"_qs
                           << QStringList{u"8 Boulevard du Port"_qs, u"Amiens"_qs, u"80000"_qs,
                                          u"France"_qs}
                           << QByteArrayList{AltitudeJson(PointAltitude{Outcome::Found, 35.2}),
                                             CommuneJson(PointCommune{Outcome::Unreachable}),
                                             ParcelJson(loctudy)}
                           << QStringList{u"Altitude : 35,2 m (RGE ALTI®, IGN)"_qs,
                                          u""_qs,
                                          u"Le service des communes (geo.api.gouv.fr) est "
                                          "injoignable : vérifiez la connexion à Internet."_qs,
                                          u""_qs,
                                          u"Parcelle : 000 AX 0001 (Loctudy), 7 185 m²"_qs,
                                          u"Source : Parcellaire Express (PCI), IGN"_qs}
                           << loctudy.idu;
    QTest::newRow("none") << QByteArray(R"({"status":"none","message":"Aucune adresse ici."})")
                          << u"Aucune adresse ici."_qs << none
                          << QByteArrayList{AltitudeJson(PointAltitude{Outcome::NoMatch}),
                                            CommuneJson(PointCommune{Outcome::NoMatch}),
                                            ParcelJson(CadastralParcel{Outcome::NoMatch})}
                          << QStringList(6, u"-"_qs) << QString();
    QTest::newRow("service without the route")
        << QByteArray()
        << u"Les services de recherche d'adresses sont injoignables : l'ordinateur n'est sans "
           "doute pas connecté à Internet."_qs
        << none << QByteArrayList()
        << QStringList{u"Altitude : le service de la carte ne répond pas."_qs, u""_qs,
                       u"Commune : le service de la carte ne répond pas."_qs,  u""_qs,
                       u"Parcelle : le service de la carte ne répond pas."_qs, u""_qs}
        << QString();
}

void MapPageEngineTest::panelShowsTheServiceAnswers() {
    QFETCH(QByteArray, answer);
    QFETCH(QString, address);
    QFETCH(QStringList, parts);
    QFETCH(QByteArrayList, facts);
    QFETCH(QStringList, lines);
    QFETCH(QString, idu);
    // The service as the page sees it: its page and files, and the answers about a point.
    QStringList asked;
    LoopbackServer service;
    auto& routes = service.Server();
    routes.Get("/maps", [this](const httplib::Request&, httplib::Response& response) {
        const QByteArray page = MapPageHtml({.query = u"Tour Eiffel"_qs, .place = kEiffel},
                                            TileLayersOf(tiles_.Urls()));
        response.set_content(page.toStdString(), "text/html; charset=utf-8");
    });
    routes.Get(R"(/(page|leaflet)/(.+))",
               [](const httplib::Request& request, httplib::Response& response) {
                   const QString name = QString::fromStdString(request.matches[2].str());
                   const StaticFile file =
                       request.matches[1] == "page" ? PageFile(name) : LeafletFile(name, {});
                   response.set_content(file.body.toStdString(), file.type.toStdString());
               });
    routes.Get("/point", [&asked](const httplib::Request& request, httplib::Response& response) {
        asked = {QString::fromStdString(request.get_param_value("lat")),
                 QString::fromStdString(request.get_param_value("lon"))};
        response.set_content(u"{\"forms\":[{\"key\":\"dd\",\"name\":\"Degrés décimaux\",\"text\":"
                             "\"%1, %2\"},{\"key\":\"l93\",\"name\":\"Lambert 93\",\"text\":"
                             "\"X 648 237 m, Y 6 862 271 m\"}]}"_qs.arg(asked[0], asked[1])
                                 .toStdString(),
                             "application/json");
    });
    if (!answer.isEmpty()) {
        routes.Get("/adresse", [&answer](const httplib::Request&, httplib::Response& response) {
            response.set_content(answer.toStdString(), "application/json");
        });
    }
    for (qsizetype i = 0; i < facts.size(); ++i) {
        const char* route = std::array{"/altitude", "/commune", "/parcelle"}[size_t(i)];
        routes.Get(route, [answer = facts[i].toStdString()](const httplib::Request&,
                                                            httplib::Response& response) {
            response.set_content(answer, "application/json");
        });
    }
    QVERIFY(service.Start());

    Browser browser;
    // The bridge as the program offers it to its own service's pages.
    browser.view->TrustServiceOrigin(QUrl(service.Url(u"/maps"_qs)));
    QStringList taken;
    QObject::connect(browser.view, &MapView::PointTaken,
                     [&taken](const QString& latitude, const QString& longitude,
                              const QString& street, const QString& city, const QString& postcode,
                              const QString& country) {
                         taken = {latitude, longitude, street, city, postcode, country};
                     });

    QVERIFY(browser.Open(service.Url(u"/maps"_qs)));
    browser.Click(browser.Box(u"#map"_qs).center() + QPointF(-60, 30));
    QTRY_COMPARE_WITH_TIMEOUT(browser.Text(u"#address"_qs), address, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(browser.Text(u"#forms li:nth-child(2) .name"_qs), u"Lambert 93"_qs,
                              10000);
    QCOMPARE(browser.Text(u"#forms li .text"_qs), asked.join(u", "_qs));

    // A copy button puts its form on the clipboard.
    browser.Click(browser.Box(u"#forms li:nth-child(2) .copy"_qs).center());
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(),
                              u"X 648 237 m, Y 6 862 271 m"_qs, 5000);

    // The point's altitude, commune and parcel, each with its source.
    const QString shown =
        u"['altitude', 'commune', 'parcel'].map(id => document.getElementById(id))"
        ".flatMap(e => e.hidden ? ['-', '-'] : [e.querySelector('.text')"
        ".textContent, e.querySelector('.source').textContent])"_qs;
    QTRY_COMPARE_WITH_TIMEOUT(browser.Js(shown).toStringList(), lines, 10000);
    // Nothing known at all: no heading over an empty list either.
    QCOMPARE(browser.Hidden(u"facts-title"_qs), lines.count(u"-"_qs) == lines.size());
    QCOMPARE(!browser.Hidden(u"parcel-id"_qs), !idu.isEmpty());
    if (!idu.isEmpty()) {
        QCOMPARE(browser.Text(u"#parcel-id .text"_qs), u"Identifiant : "_qs + idu);
        QCOMPARE(browser.Js(u"document.getElementById('parcel-copy').getAttribute('aria-label')"_qs)
                     .toString(),
                 u"Copier l'identifiant de la parcelle "_qs + idu);
        browser.Js(u"document.getElementById('parcel-copy').scrollIntoView()"_qs);
        browser.Click(browser.Box(u"#parcel-copy"_qs).center());
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), idu, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(browser.Text(u"#announcer"_qs),
                                  u"Identifiant de la parcelle copié dans le presse-papiers."_qs,
                                  5000);
    }

    // The take-over button hands the bridge the point's decimals and the address parts found.
    QTRY_VERIFY_WITH_TIMEOUT(!browser.Hidden(u"take-point"_qs), 10000);
    browser.Js(u"document.getElementById('take-point').click()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(taken, asked + parts, 10000);
}

void MapPageEngineTest::crossShowsUnderKeyboardFocusOnly_data() {
    QTest::addColumn<QString>("how");  // what the user does before the map is looked at
    QTest::addColumn<bool>("focused"); // the map then has the focus
    QTest::addColumn<bool>("drawn");
    QTest::newRow("Tab to the map") << u"tab"_qs << true << true;
    QTest::newRow("map clicked: focus from the mouse") << u"click"_qs << true << false;
    // The page keeps its focused map while another control of the program has the keyboard.
    QTest::newRow("Tab to the map, then the keyboard elsewhere") << u"tab out"_qs << true << false;
}

void MapPageEngineTest::crossShowsUnderKeyboardFocusOnly() {
    QFETCH(QString, how);
    QFETCH(bool, focused);
    QFETCH(bool, drawn);
    Browser browser;
    // The page without a place: nothing but tiles at the centre.
    QVERIFY(browser.Open(service_->BaseUrl()));
    QWidget* const input = browser.view->Browser()->focusProxy();
    for (const QString& step : how.split(u' ')) {
        if (step == u"tab")
            QTest::keyClick(input, Qt::Key_Tab);
        else if (step == u"out")
            input->clearFocus();
        else
            browser.Click(browser.Box(u"#map"_qs).center() + QPointF(-150, 100));
    }
    QTRY_COMPARE_WITH_TIMEOUT(browser.Js(u"document.activeElement === map"_qs).toBool(), focused,
                              5000);
    // A pixel of the cross's vertical bar, below its arm; the stand-in's tiles are white.
    const QPoint bar = browser.Box(u"#map"_qs).center().toPoint() + QPoint(0, 8);
    const auto redAtBar = [&] {
        const QColor seen = browser.view->Browser()->grab().toImage().pixelColor(bar);
        return seen.red() > 150 && seen.green() < 60 && seen.blue() < 80;
    };
    QTest::qWait(drawn ? 0 : 300);
    QTRY_COMPARE_WITH_TIMEOUT(redAtBar(), drawn, 5000);
}

void MapPageEngineTest::searchMovesThePageInPlace_data() {
    QTest::addColumn<QString>("query"); // searched for on the Eiffel Tower's page
    QTest::addColumn<QString>("place"); // the marker's, in seven decimals; empty: none
    QTest::addColumn<QString>("text");  // the message shown (its start), or the geocoding credit
    QTest::addColumn<bool>("panel");    // a point's panel is open when the search comes
    QTest::newRow("pair far away")
        << u"45.76%2C4.83"_qs << u"45.7600000,4.8300000"_qs << QString() << false;
    QTest::newRow("address found")
        << u"1 rue X,+Paris,+FRANCE,+75001"_qs << u"48.8625000,2.3417000"_qs
        << u" · Géocodage : Base Adresse Nationale"_qs << false;
    QTest::newRow("address not found") << u"Rue Vide,+Paris,+FRANCE,+75007"_qs << QString()
                                       << AbsenceText(Absence::NotFound) << true;
}

void MapPageEngineTest::searchMovesThePageInPlace() {
    QFETCH(QString, query);
    QFETCH(QString, place);
    QFETCH(QString, text);
    QFETCH(bool, panel);
    Browser browser;
    browser.view->TrustServiceOrigin(QUrl(searching_->BaseUrl()));
    QVERIFY(browser.Open(searching_->BaseUrl() + kEiffelQuery));
    const auto baseLayer =
        u"[...document.querySelectorAll('.leaflet-control-layers-base input')]"_qs;
    browser.Js(baseLayer + u"[1].click()"_qs);
    if (panel) {
        browser.Click(browser.Box(u"#map"_qs).center() + QPointF(-60, 30));
        QTRY_VERIFY_WITH_TIMEOUT(!browser.Hidden(u"panel"_qs), 10000);
    }
    const QVariant focused = browser.Js(u"document.activeElement.id"_qs);
    QSignalSpy loads(browser.Page(), &QWebEnginePage::loadStarted);

    browser.view->Navigate(searching_->BaseUrl() + query);
    const QString heading = QUrl::fromPercentEncoding(query.toUtf8()).replace(u'+', u' ');
    QTRY_COMPARE_WITH_TIMEOUT(browser.Text(u"h1"_qs), heading, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(browser.Page()->url(),
                              QUrl(searching_->BaseUrl() + query, QUrl::TolerantMode), 5000);
    QCOMPARE(loads.size(), 0);
    QCOMPARE(browser.Js(u"map.dataset.place"_qs).toString(), place);
    QCOMPARE(browser.Js(u"document.querySelectorAll('.leaflet-marker-icon').length"_qs).toInt(),
             place.isEmpty() ? 0 : 1);
    QCOMPARE(browser.Hidden(u"coordinates"_qs), place.isEmpty());
    if (place.isEmpty()) {
        QVERIFY(browser.Text(u"#message.absence"_qs).startsWith(text));
        QVERIFY(browser.Text(u"#announcer"_qs).startsWith(text));
    } else {
        QVERIFY(browser.Hidden(u"message"_qs));
        QCOMPARE(browser.Text(u"#geocoding-credit"_qs), text);
        QVERIFY(browser.Text(u"#coordinates"_qs)
                    .startsWith(u"Latitude "_qs + place.replace(u',', u", longitude "_qs)));
        QVERIFY(browser.Text(u"#announcer"_qs).startsWith(u"Lieu affiché : "_qs));
    }
    // The point's panel closed, the focus and the base layer chosen kept.
    QVERIFY(browser.Hidden(u"panel"_qs));
    QCOMPARE(browser.Js(u"document.activeElement.id"_qs), focused);
    QCOMPARE(browser.Js(baseLayer + u".findIndex(i => i.checked)"_qs).toInt(), 1);

    // Another service, as the next run's would be: a page of its own, loaded.
    QVERIFY(browser.Open(service_->BaseUrl() + kEiffelQuery));
}

QTEST_MAIN(MapPageEngineTest)
#include "MapPageEngineTest.moc"
