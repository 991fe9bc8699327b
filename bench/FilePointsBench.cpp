// The points of a file of addresses on the map page, in the real engine: 10,000 points handed
// over at once through the map view (as the window would after a file found in one go), the
// same in 100 batches of 100 (as the window sends them while geocoding), and the page loaded
// again with the 10,000 kept (to its bridge, then to the points read and clustered); each timed
// until the last of them is in the cluster layer, with the longest frame while the 10,000 go in
// at once. Prints "name=value" lines (medians, then
// every run).
//
// Everything is on the loopback interface: the program's map service, no base layer.
//
// Usage: tarnel_bench_file_points [RUNS]

#include "bench/PageScript.h"
#include "mapservice/MapService.h"
#include "platform/desktop/MapViewProfile.h"
#include "platform/desktop/WebEngineMapView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

using namespace tarnel;
using namespace tarnel::bench;

namespace {

constexpr int kPoints = 10000;
constexpr int kBatch = 100;

// Rows of a file over metropolitan France, one in ten to be checked.
QList<FilePoint> Points() {
    QRandomGenerator random(27);
    QList<FilePoint> points;
    for (int i = 0; i < kPoints; ++i)
        points.append({i + 2, 42.5 + random.generateDouble() * 8.5,
                       -4.5 + random.generateDouble() * 12.5,
                       u"%1 Rue de la République 69002 Lyon"_qs.arg(i % 200 + 1),
                       i % 10 ? u"trouvée"_qs : u"à vérifier"_qs});
    return points;
}

// The page has its bridge: the control is there.
const QString kControl = u"document.querySelector('.file-points-open') !== null"_qs;

// The time between frames drawn, from now on; kLongestFrame stops and answers the longest: how
// long the page stayed frozen.
const QString kWatchFrames = uR"((() => {
  window.frameGaps = [];
  let last = performance.now();
  const step = (now) => {
    window.frameGaps.push(now - last);
    last = now;
    if (!window.framesDone) requestAnimationFrame(step);
  };
  requestAnimationFrame(step);
})())"_qs;
const QString kLongestFrame = u"window.framesDone = true; Math.max(...window.frameGaps)"_qs;

QString AllIn(int count) {
    return u"document.getElementById('map').dataset.filePoints === '%1'"_qs.arg(count);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const QList<FilePoint> points = Points();
    MapService service(nullptr, nullptr, TileLayersOf({u""_qs, u""_qs, u""_qs}));
    if (!service.Start())
        return 1;
    Figures figures;
    for (int run = 0; run <= runs; ++run) { // run 0 warms the engine up, not counted
        QTemporaryDir profileFolder;
        QWebEngineProfile* profile = MakeMapViewProfile(profileFolder.path());
        auto* view = new WebEngineMapView(profile);
        view->TrustServiceOrigin(QUrl(service.BaseUrl()));
        view->resize(1000, 700);
        view->show();
        QWebEnginePage* page = view->Browser()->page();
        QElapsedTimer clock;
        clock.start();
        view->Navigate(service.BaseUrl());
        MillisecondsUntil(page, kControl, clock);

        RunScript(page, kWatchFrames);
        QElapsedTimer once;
        once.start();
        view->ShowFilePoints(points);
        const double atOnce = MillisecondsUntil(page, AllIn(kPoints), once);
        const double longestFrame = RunScript(page, kLongestFrame).toDouble();

        view->ClearFilePoints();
        MillisecondsUntil(page, AllIn(0), once);
        QElapsedTimer batches;
        batches.start();
        for (qsizetype at = 0; at < points.size(); at += kBatch)
            view->ShowFilePoints(points.mid(at, kBatch));
        const double inBatches = MillisecondsUntil(page, AllIn(kPoints), batches);

        // The page left behind is marked: its count would answer for the new one.
        RunScript(page, u"window.left = true"_qs);
        QElapsedTimer load;
        load.start();
        view->Browser()->reload();
        const double ready = MillisecondsUntil(page, u"!window.left && "_qs + kControl, load);
        const double loaded =
            MillisecondsUntil(page, u"!window.left && "_qs + AllIn(kPoints), load);
        if (run > 0) {
            figures["points_10000_at_once_ms"].push_back(atOnce);
            figures["points_10000_in_100_batches_ms"].push_back(inBatches);
            figures["longest_frame_at_once_ms"].push_back(longestFrame);
            figures["reload_to_bridge_ms"].push_back(ready);
            figures["reload_bridge_to_10000_ms"].push_back(loaded - ready);
        }
        delete view;
        delete profile;
    }
    PrintFigures(figures);
    return 0;
}
