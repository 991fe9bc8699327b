#include "mapservice/MapService.h"
#include "places/PlaceStore.h"
#include "platform/desktop/MapViewProfile.h"
#include "platform/desktop/WebEngineMapView.h"

#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>

using namespace tarnel;
using namespace Qt::StringLiterals;

// The "Mes lieux" panel in the real engine, on a store of its own and with no base layer
// (nothing leaves the machine): Paris, Lyon and Normandy kept, the page opened on Paris.
class MyPlacesPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void filtersShowsAndCentres();
    void addsThePickedPointDeletesAndUndoes();
    void importsAChosenFile_data();
    void importsAChosenFile();
    void exportsTheTickedPlaces();

private:
    QVariant Js(const QString& script) const;
    QStringList Rows() const {
        return Js(u"[...document.querySelectorAll('.place-name')].map(b => b.textContent)"_s)
            .toStringList();
    }
    QWidget* Keys() const { return view_->Browser()->focusProxy(); }

    QTemporaryDir folder_;
    std::unique_ptr<PlaceStore> store_;
    std::unique_ptr<MapService> service_;
    QWebEngineProfile* profile_ = nullptr;
    WebEngineMapView* view_ = nullptr;
};

QVariant MyPlacesPageTest::Js(const QString& script) const {
    QVariant result;
    bool done = false;
    view_->Browser()->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    return QTest::qWaitFor([&] { return done; }, 10000) ? result : QVariant();
}

void MyPlacesPageTest::init() {
    const QString name = u"%1-%2"_s.arg(QLatin1String(QTest::currentTestFunction()),
                                        QLatin1String(QTest::currentDataTag()));
    store_ = std::make_unique<PlaceStore>(folder_.filePath(name + u".sqlite"_s));
    QVERIFY(store_->Open().done);
    QList<SavedPlace> places{{0, u"Gare de Lyon"_s, 48.8443, 2.3744, {}, {}, {}, {}},
                             {0, u"Église Saint-Michel"_s, 45.75, 4.85, {}, {}, {}, {}},
                             {0, u"abbaye"_s, 49.1, -1.5, {}, {}, {}, {}}};
    QVERIFY(store_->AddAll(places).done);
    service_ = std::make_unique<MapService>(nullptr, nullptr, TileLayersOf({u""_s, u""_s, u""_s}));
    service_->KeepPlacesIn(store_->Path());
    QVERIFY(service_->Start());
    profile_ = MakeMapViewProfile(folder_.filePath(name), nullptr, "Tarnel essais",
                                  QUrl(u"http://127.0.0.1/maps?q="_s));
    view_ = new WebEngineMapView(profile_);
    view_->TrustServiceOrigin(QUrl(service_->BaseUrl()));
    view_->resize(900, 650);
    view_->show();
    view_->Navigate(service_->BaseUrl() + u"48.8443%2C2.3744"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Js(u"map.dataset.ready"_s).toString(), u"yes"_s, 30000);
    // The button takes the keyboard to the panel's filter box; the list comes sorted.
    Js(u"document.querySelector('.my-places-toggle').click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(
        Rows(), (QStringList{u"abbaye"_s, u"Église Saint-Michel"_s, u"Gare de Lyon"_s}), 10000);
    QCOMPARE(Js(u"document.activeElement.id"_s).toString(), u"my-places-filter"_s);
}

void MyPlacesPageTest::cleanup() {
    delete view_; // its page first, then the profile
    delete profile_;
    service_.reset();
}

void MyPlacesPageTest::filtersShowsAndCentres() {
    QTest::keyClicks(Keys(), u"EGLISE"_s); // accents and case aside
    QTRY_COMPARE_WITH_TIMEOUT(Rows(), QStringList{u"Église Saint-Michel"_s}, 10000);
    // A click on the row centres the map on it.
    Js(u"document.querySelector('.place-name').click()"_s);
    QTRY_VERIFY_WITH_TIMEOUT(Js(u"document.querySelector('#forms .text')?.textContent"_s)
                                 .toString()
                                 .startsWith(u"45.7500000, 4.8500000"_s),
                             10000);
    // Whatever the filter, "Tout afficher" shows all three, each its own marker at that zoom,
    // and the layer hides and comes back.
    const QString markers = u"document.querySelectorAll('img[alt^=\"Mon lieu\"]').length"_s;
    Js(u"document.getElementById('my-places-fit').click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Js(markers).toInt(), 3, 10000);
    Js(u"document.getElementById('my-places-shown').click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Js(markers).toInt(), 0, 10000);
}

void MyPlacesPageTest::addsThePickedPointDeletesAndUndoes() {
    Js(u"document.getElementById('map').focus()"_s);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!Js(u"document.getElementById('panel').hidden"_s).toBool(), 10000);
    Js(u"document.getElementById('add-to-places').click()"_s);
    // Named after its coordinates when no address is known, the name is the user's to change.
    QVERIFY(Js(u"document.activeElement.value"_s).toString().startsWith(u"Point 48.844"_s));
    QTest::keyClicks(Keys(), u"Rendez-vous"_s);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 4, 10000);
    const SavedPlace added = store_->List(u"rendez-vous"_s).value(0);
    QVERIFY(std::abs(added.latitude - 48.8443) < 1e-4);
    Js(u"document.querySelector('[aria-label=\"Supprimer %1\"]').click()"_s.arg(added.name));
    QTRY_COMPARE_WITH_TIMEOUT(store_->Count(), 3, 10000);
    QCOMPARE(Rows().size(), 3);
    // "Annuler" takes the focus: a key brings the place back as it was.
    QTRY_COMPARE_WITH_TIMEOUT(Js(u"document.activeElement.textContent"_s).toString(), u"Annuler"_s,
                              10000);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 4, 10000);
    QCOMPARE(store_->Find(added.id)->added, added.added);
}

void MyPlacesPageTest::importsAChosenFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("routes");     // "Points des itinéraires et des traces" ticked
    QTest::addColumn<QString>("offered"); // the first choice offered, which Entrée takes
    QTest::addColumn<int>("imported");
    // Sources of both files in tests/places/data/README.md.
    QTest::newRow("GPSBabel's waypoints")
        << u"gpsbabel-geocaching.gpx"_s << false << u"Importer"_s << 9;
    // Its route goes through its two waypoints, under their names: doubles left out.
    QTest::newRow("BaseCamp's routes and tracks too, without their doubles")
        << u"garmin-basecamp.gpx"_s << true << u"Sans les doublons"_s << 4;
}

void MyPlacesPageTest::importsAChosenFile() {
    QFETCH(QString, file);
    QFETCH(bool, routes);
    QFETCH(QString, offered);
    QFETCH(int, imported);
    QFile bytes(QStringLiteral(TARNEL_PLACES_DATA "/") + file);
    QVERIFY(bytes.open(QIODevice::ReadOnly));
    if (routes)
        Js(u"document.getElementById('my-places-routes').click()"_s);
    // Chosen as the file dialog would.
    Js(u"(() => { const box = document.getElementById('my-places-file');"
       "const chosen = new DataTransfer();"
       "chosen.items.add(new File([Uint8Array.from(atob('%1'), c => c.charCodeAt(0))],"
       "'lieux.gpx'));"
       "box.files = chosen.files; box.dispatchEvent(new Event('change')); })()"_s.arg(
           QString::fromLatin1(bytes.readAll().toBase64())));
    QTRY_COMPARE_WITH_TIMEOUT(Js(u"document.activeElement.textContent"_s).toString(), offered,
                              10000);
    QCOMPARE(store_->Count(), 3); // asked first
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 3 + imported, 10000);
    QCOMPARE(store_->Count(), 3 + imported);
    QCOMPARE(Js(u"announcer.textContent"_s).toString(), u"%1 lieux importés."_s.arg(imported));
}

void MyPlacesPageTest::exportsTheTickedPlaces() {
    QSignalSpy asked(view_, &MapView::PlacesExportAsked);
    const QString button = u"document.getElementById('my-places-export-button')"_s;
    const QString label = button + u".getAttribute('aria-label')"_s;
    // Shown once the bridge is there: the program writes the file, of all places when none is
    // ticked.
    QTRY_VERIFY_WITH_TIMEOUT(!Js(u"document.getElementById('my-places-export').hidden"_s).toBool(),
                             10000);
    QCOMPARE(Js(label).toString(), u"Exporter tous mes lieux"_s);
    Js(button + u".click()"_s);
    for (const QString& name : {u"abbaye"_s, u"Gare de Lyon"_s, u"Gare de Lyon"_s}) // ticked off
        Js(u"document.querySelector('[aria-label=\"Choisir %1 pour l\\'export\"]').click()"_s.arg(
            name));
    // A filter keeps the ticks of the rows it hides.
    QTest::keyClicks(Keys(), u"zzz"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 0, 10000);
    Js(u"document.getElementById('my-places-format').value = 'geojson'"_s);
    QCOMPARE(Js(label).toString(), u"Exporter le lieu coché"_s);
    Js(button + u".click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 2, 10000);
    QCOMPARE(asked[0], (QVariantList{u"gpx"_s, QVariant::fromValue(QList<qint64>())}));
    QCOMPARE(asked[1], (QVariantList{u"geojson"_s, QVariant::fromValue(QList<qint64>{
                                                       store_->List(u"abbaye"_s).value(0).id})}));
}

QTEST_MAIN(MyPlacesPageTest)
#include "MyPlacesPageTest.moc"
