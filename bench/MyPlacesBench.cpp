// The "Mes lieux" panel with 10,000 places, in the real engine: from the page ready to the list
// drawn and every place clustered on the map after a click on "Mes lieux", and the time a filter
// keystroke takes, layout included; the time the service takes to answer the list; and the
// import of a 10,000-waypoint GPX file chosen in the panel, from the file chosen to the list
// drawn again with its 20,000 places. Prints
// "name=value" lines (medians, then every run).
//
// Everything is on the loopback interface: the program's map service on a store of its own,
// no base layer.
//
// Usage: tarnel_bench_my_places [RUNS]

#include "bench/PageScript.h"
#include "mapservice/MapService.h"
#include "places/PlaceExport.h"
#include "places/PlaceStore.h"
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

constexpr int kPlaces = 10000;

// Places over metropolitan France, named as a list of visits would be.
QList<SavedPlace> Places() {
    const QStringList kinds{u"Église"_qs, u"Mairie"_qs, u"Gare"_qs,   u"Boulangerie"_qs,
                            u"Col"_qs,    u"Source"_qs, u"Château"_qs};
    QRandomGenerator random(28);
    QList<SavedPlace> places;
    for (int i = 0; i < kPlaces; ++i) {
        SavedPlace place;
        place.name = u"%1 n° %2"_qs.arg(kinds[i % kinds.size()]).arg(i);
        place.latitude = 42.5 + random.generateDouble() * 8.5;
        place.longitude = -4.5 + random.generateDouble() * 12.5;
        place.address = u"%1 rue de la République"_qs.arg(i % 200);
        place.note = i % 3 ? QString() : u"à revoir"_qs;
        places.append(place);
    }
    return places;
}

// Each text put in the filter box as a keystroke would, the time to the list laid out again.
const QString kKeystrokes = uR"((() => {
  const box = document.getElementById('my-places-filter');
  const list = document.getElementById('my-places-list');
  const times = [];
  for (const text of ['g', 'ga', 'gar', 'gare', 'gare 1', 'gare 12', 'gar', 'revoir', '']) {
    const start = performance.now();
    box.value = text;
    box.dispatchEvent(new Event('input'));
    void list.getBoundingClientRect().height;
    times.push(performance.now() - start);
  }
  return times;
})())"_qs;

// Chooses the GPX file (base64 in %1) as the file dialog would.
const QString kChoose = uR"((() => {
  const box = document.getElementById('my-places-file');
  const chosen = new DataTransfer();
  chosen.items.add(new File([Uint8Array.from(atob('%1'), c => c.charCodeAt(0))], 'lieux.gpx'));
  box.files = chosen.files;
  box.dispatchEvent(new Event('change'));
  return true;
})())"_qs;

const QString kShown = u"document.getElementById('my-places').dataset.mapped === 'yes' && "
                       "document.querySelectorAll('#my-places-list li').length > 0 && "
                       "document.querySelectorAll('.marker-cluster').length > 0"_qs;

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir folder;
    const QString path = folder.filePath(u"places.sqlite"_qs);
    {
        PlaceStore store(path);
        QList<SavedPlace> places = Places();
        if (!store.Open().done || !store.AddAll(places).done) {
            std::fprintf(stderr, "the places could not be stored\n");
            return 1;
        }
    }
    const QString gpx =
        QString::fromLatin1(PlacesFileBytes(ExportFormat::Gpx, Places()).value().toBase64());
    MapService service(nullptr, nullptr, TileLayersOf({u""_qs, u""_qs, u""_qs}));
    service.KeepPlacesIn(path);
    if (!service.Start())
        return 1;
    Figures figures;
    for (int run = 0; run <= runs; ++run) { // run 0 warms the engine up, not counted
        QTemporaryDir profileFolder;
        QWebEngineProfile* profile = MakeMapViewProfile(profileFolder.path());
        auto* view = new WebEngineMapView(profile);
        view->resize(1000, 700);
        view->show();
        QWebEnginePage* page = view->Browser()->page();
        QElapsedTimer clock;
        clock.start();
        view->Navigate(service.BaseUrl());
        MillisecondsUntil(page, u"document.getElementById('map')?.dataset.ready === 'yes'"_qs,
                          clock);
        QElapsedTimer ready;
        ready.start();
        RunScript(page, u"document.querySelector('.my-places-toggle').click()"_qs);
        const double shown = MillisecondsUntil(page, kShown, ready);
        // The share of the service: the list asked and received, as the engine timed it.
        const double answer = RunScript(page, u"performance.getEntriesByName(location.origin + "
                                              "'/lieux')[0]?.duration ?? -1"_qs)
                                  .toDouble();
        QVariantList keys = RunScript(page, kKeystrokes).toList();
        std::vector<double> times;
        for (const QVariant& key : keys)
            times.push_back(key.toDouble());
        std::sort(times.begin(), times.end());
        if (run > 0 && !times.empty()) {
            figures["panel_and_clusters_ms"].push_back(shown);
            figures["list_answer_ms"].push_back(answer);
            figures["keystroke_median_ms"].push_back(times[times.size() / 2]);
            figures["keystroke_max_ms"].push_back(times.back());
        }
        // Once, on the last run: the import doubles the list.
        if (run == runs) {
            RunScript(page, kChoose.arg(gpx));
            MillisecondsUntil(page, u"!document.getElementById('my-places-offer').hidden"_qs,
                              ready);
            QElapsedTimer import;
            import.start();
            RunScript(page, u"[...document.querySelectorAll('#my-places-offer button')]"
                            ".find(b => b.textContent === 'Tout importer').click()"_qs);
            figures["import_10000_gpx_ms"].push_back(MillisecondsUntil(
                page,
                u"document.getElementById('announcer').textContent.endsWith('importés.') && "
                "document.getElementById('my-places').dataset.mapped === 'yes'"_qs,
                import));
        }
        delete view;
        delete profile;
    }
    PrintFigures(figures);
    return 0;
}
