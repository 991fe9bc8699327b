// Today's framed map page against the program's own map page, in one run of the real engine:
// a search to its marker drawn, a pick to its coordinates shown, the process tree's memory and
// the bytes each page transfers; the floor of loading a map page (a minimal Leaflet page with
// its marker), and a search shown in place on a map already shown. Prints "name=value" lines
// for bench/measure.sh.
//
// Everything is on the loopback interface: a server standing in for the tile servers and for
// OpenStreetMap's embed page (fixtures/embed.html, a Leaflet map with its marker), which also
// serves today's page (fixtures/framed-page.html, its frame pointed at the stand-in) and the
// minimal page (fixtures/minimal.html), and the program's map service asking a stand-in
// geocoder.
//
// Usage: tarnel_bench_map_page FIXTURES_DIR [RUNS]

#include "bench/PageScript.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "mapservice/MapService.h"
#include "mapservice/StaticFiles.h"
#include "platform/desktop/MapViewProfile.h"
#include "platform/desktop/WebEngineMapView.h"
#include "tests/mapservice/FakeGeocoderServer.h"
#include "tests/support/LoopbackServer.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

using namespace tarnel;
using namespace tarnel::bench;
using namespace tarnel::testing;

namespace {

// Proportional set size of this process and of every process under it, in KiB.
long TreePss(long pid) {
    long total = 0;
    QFile rollup(u"/proc/%1/smaps_rollup"_qs.arg(pid));
    if (rollup.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            if (line.startsWith("Pss:")) {
                total += line.mid(4).trimmed().split(' ').first().toLong();
            }
        }
    }
    for (const QString& task :
         QDir(u"/proc/%1/task"_qs.arg(pid)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(u"/proc/%1/task/%2/children"_qs.arg(pid).arg(task));
        if (children.open(QIODevice::ReadOnly)) {
            for (const QByteArray& child : children.readAll().split(' ')) {
                if (!child.trimmed().isEmpty()) {
                    total += TreePss(child.trimmed().toLong());
                }
            }
        }
    }
    return total;
}

// Bytes of the page and of its tiles, frames included, as the engine counts them.
const QString kTransferred = uR"((() => {
  const count = [0, 0];
  const add = (w) => {
    for (const e of w.performance.getEntries()) {
      if (e.transferSize !== undefined) count[e.name.includes('/tiles/') ? 1 : 0] += e.transferSize;
    }
  };
  add(window);
  for (const f of document.querySelectorAll('iframe')) { try { add(f.contentWindow); } catch (e) {} }
  return count;
})())"_qs;

const QString kNewMarker = u"!!document.querySelector('.leaflet-marker-icon')?.complete"_qs;
const QString kFramedMarker =
    u"!!document.querySelector('iframe')?.contentDocument?.querySelector('.leaflet-marker-icon')?.complete"_qs;
const QString kWatchPick = uR"((() => {
  window.__shown = -1;
  document.addEventListener('click', () => { window.__picked = performance.now(); }, true);
  new MutationObserver(() => requestAnimationFrame(() => {
    if (window.__shown < 0) window.__shown = performance.now() - window.__picked;
  })).observe(document.getElementById('forms'), { childList: true });
  return true;
})())"_qs;

struct Measured {
    Figures values;
    void Add(const std::string& name, double value) { values[name].push_back(value); }
};

void Measure(const QString& url, const QString& marker, bool pick, const std::string& name,
             Measured& figures) {
    QTemporaryDir folder;
    QWebEngineProfile* profile = MakeMapViewProfile(folder.path());
    auto* view = new WebEngineMapView(profile);
    view->resize(800, 600);
    view->show();
    QElapsedTimer clock;
    clock.start();
    view->Navigate(url);
    // The first search of a run: a new renderer and nothing cached.
    figures.Add(name + "_cold_marker_ms",
                MillisecondsUntil(view->Browser()->page(), marker, clock));
    QTest::qWait(1500); // tiles and frames settle
    const QVariantList bytes = RunScript(view->Browser()->page(), kTransferred).toList();
    figures.Add(name + "_page_bytes", bytes.value(0).toDouble());
    figures.Add(name + "_tile_bytes", bytes.value(1).toDouble());
    figures.Add(name + "_tree_pss_kib", TreePss(QCoreApplication::applicationPid()));
    // The searches after it, as a user makes them: the renderer there, the caches warm.
    view->Navigate(u"about:blank"_qs);
    QTest::qWait(300);
    clock.restart();
    view->Navigate(url);
    figures.Add(name + "_marker_ms", MillisecondsUntil(view->Browser()->page(), marker, clock));
    QTest::qWait(500);
    if (pick) {
        QWebEnginePage* page = view->Browser()->page();
        RunScript(page, kWatchPick);
        QTest::mouseClick(view->Browser()->focusProxy(), Qt::LeftButton, {}, QPoint(500, 300));
        MillisecondsUntil(page, u"window.__shown >= 0"_qs, clock);
        figures.Add(name + "_pick_ms", RunScript(page, u"window.__shown"_qs).toDouble());
    }
    delete view;
    delete profile;
    QTest::qWait(500);
}

// A search on a map already shown: the page of `from` loaded and settled, then `to`, whose
// marker is to stand at `place` ("lat,lng" in seven decimals), timed to its marker drawn there.
// Also counts the loads the search started, none when it was shown in place.
void MeasureInPlace(const QString& from, const QString& to, const QString& place,
                    const std::string& name, Measured& figures) {
    QTemporaryDir folder;
    QWebEngineProfile* profile = MakeMapViewProfile(folder.path());
    auto* view = new WebEngineMapView(profile);
    view->TrustServiceOrigin(QUrl(from));
    view->resize(800, 600);
    view->show();
    QElapsedTimer clock;
    clock.start();
    QWebEnginePage* page = view->Browser()->page();
    view->Navigate(from);
    MillisecondsUntil(page, kNewMarker + u" && map.dataset.ready === 'yes'"_qs, clock);
    QTest::qWait(1000); // tiles settle
    const QSignalSpy loads(page, &QWebEnginePage::loadStarted);
    clock.restart();
    view->Navigate(to);
    figures.Add(name + "_marker_ms",
                MillisecondsUntil(
                    page, kNewMarker + u" && map.dataset.place === '%1'"_qs.arg(place), clock));
    figures.Add(name + "_loads", loads.size());
    delete view;
    delete profile;
    QTest::qWait(500);
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

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv) {
    WebEngineMapView::PrepareProcess();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FIXTURES_DIR [RUNS]\n", argv[0]);
        return 2;
    }
    const QDir fixtures(QString::fromLocal8Bit(argv[1]));
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

    const QByteArray png = TilePng();
    const QByteArray framed =
        ReadFile(fixtures.filePath(u"framed-page.html"_qs))
            .replace("https://www.openstreetmap.org/export/embed.html", "/export/embed.html");
    const QByteArray embed = ReadFile(fixtures.filePath(u"embed.html"_qs));
    const QByteArray minimal = ReadFile(fixtures.filePath(u"minimal.html"_qs));
    LoopbackServer standIn;
    auto& routes = standIn.Server();
    routes.Get(R"(/tiles/\w+/\d+/\d+/\d+\.png)",
               [&png](const httplib::Request&, httplib::Response& response) {
                   response.set_header("Cache-Control", "max-age=604800");
                   response.set_header("Timing-Allow-Origin", "*"); // lets the page count the bytes
                   response.set_content(png.toStdString(), "image/png");
               });
    routes.Get("/framed", [&framed](const httplib::Request&, httplib::Response& response) {
        response.set_content(framed.toStdString(), "text/html; charset=utf-8");
    });
    routes.Get("/minimal", [&minimal](const httplib::Request&, httplib::Response& response) {
        response.set_content(minimal.toStdString(), "text/html; charset=utf-8");
    });
    routes.Get("/export/embed.html",
               [&embed](const httplib::Request&, httplib::Response& response) {
                   response.set_content(embed.toStdString(), "text/html; charset=utf-8");
               });
    routes.Get(
        R"(/leaflet/(.+))", [](const httplib::Request& request, httplib::Response& response) {
            const StaticFile file =
                LeafletFile(QString::fromStdString(request.matches[1].str()),
                            QByteArray::fromStdString(request.get_header_value("Accept-Encoding")));
            if (!file.encoding.isEmpty()) {
                response.set_header("Content-Encoding", file.encoding.toStdString());
            }
            response.set_content_provider(
                static_cast<size_t>(file.body.size()), file.type.toStdString(),
                [body = file.body](size_t offset, size_t length, httplib::DataSink& sink) {
                    return sink.write(body.constData() + offset, length);
                });
        });
    if (!standIn.Start()) {
        return 1;
    }
    FakeGeocoderServer geocoder;
    geocoder.Set(FakeGeocoderServer::Endpoint::National, u"1 rue X, Paris, 75001"_qs,
                 FakeGeocoderServer::Behaviour::Place, 48.8584, 2.2945);
    const QString tiles = standIn.Url(u"/tiles"_qs);
    MapService service(
        std::make_unique<GeoplateformeGeocoder>(
            geocoder.SearchUrl(FakeGeocoderServer::Endpoint::National), OpenDataUserAgent()),
        nullptr,
        TileLayersOf({tiles + u"/osm/{z}/{x}/{y}.png"_qs, tiles + u"/plan/{z}/{x}/{y}.png"_qs,
                      tiles + u"/ortho/{z}/{x}/{y}.png"_qs}));
    if (!service.Start()) {
        return 1;
    }

    Measured figures;
    Measured warmUp;
    // One warm-up of each, then the variants alternate.
    for (int run = -1; run < runs; ++run) {
        Measured& into = run < 0 ? warmUp : figures;
        Measure(standIn.Url(u"/framed"_qs), kFramedMarker, false, "today", into);
        Measure(service.BaseUrl() + u"48.8584%2C2.2945"_qs, kNewMarker, true, "new", into);
        Measure(service.BaseUrl() + u"1+rue+X,+Paris,+FRANCE,+75001"_qs, kNewMarker, false,
                "new_address", into);
        Measure(standIn.Url(u"/minimal"_qs), kNewMarker, false, "minimal", into);
        // From Lyon: far enough that the map jumps rather than flies.
        const QString lyon = service.BaseUrl() + u"45.76%2C4.83"_qs;
        MeasureInPlace(lyon, service.BaseUrl() + u"48.8584%2C2.2945"_qs, u"48.8584000,2.2945000"_qs,
                       "inplace", into);
        MeasureInPlace(lyon, service.BaseUrl() + u"1+rue+X,+Paris,+FRANCE,+75001"_qs,
                       u"48.8584000,2.2945000"_qs, "inplace_address", into);
    }
    PrintFigures(figures.values);
    return 0;
}
