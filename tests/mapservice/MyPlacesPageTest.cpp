#include "FakeGeocoderServer.h"
#include "geocoding/GeoplateformeGeocoder.h"
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
// (nothing leaves the machine): Paris, Lyon and Normandy kept, the page opened on Paris. Addresses
// are looked up on the national geocoder's stand-in, which knows one.
class MyPlacesPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void filtersExportsCentresAndShows();
    void addsThePickedPointDeletesAndUndoes();
    void importsChosenFiles();
    void addsTheSearchedPlaceUnderItsAddress();

private:
    QVariant Js(const QString& script) const {
        std::optional<QVariant> result;
        view_->Browser()->page()->runJavaScript(script, [&](QVariant value) { result = value; });
        return QTest::qWaitFor([&] { return result.has_value(); }, 10000) ? *result : QVariant();
    }
    QStringList Rows() const {
        return Js(u"[...document.querySelectorAll('.place-name')].map(b => b.textContent)"_s)
            .toStringList();
    }
    QString Focused() const { return Js(u"document.activeElement.textContent"_s).toString(); }
    QWidget* Keys() const { return view_->Browser()->focusProxy(); }

    QTemporaryDir folder_;
    FakeGeocoderServer geocoder_;
    std::unique_ptr<PlaceStore> store_;
    std::unique_ptr<MapService> service_;
    std::unique_ptr<QWebEngineProfile> profile_; // outlives its view's page
    std::unique_ptr<WebEngineMapView> view_;
    int runs_ = 0;
};

void MyPlacesPageTest::init() {
    view_.reset(); // the last case's page before its profile
    // Each case on a store and a profile of its own.
    store_ = std::make_unique<PlaceStore>(folder_.filePath(u"%1.sqlite"_s.arg(++runs_)));
    QVERIFY(store_->Open().done);
    QList<SavedPlace> places{{0, u"Gare de Lyon"_s, 48.8443, 2.3744, {}, {}, {}, {}},
                             {0, u"Église Saint-Michel"_s, 45.75, 4.85, {}, {}, {}, {}},
                             {0, u"abbaye"_s, 49.1, -1.5, {}, {}, {}, {}}};
    QVERIFY(store_->AddAll(places).done);
    geocoder_.Set(FakeGeocoderServer::Endpoint::National, u"1 rue X, Paris, 75001"_s,
                  FakeGeocoderServer::Behaviour::Place, 48.8625, 2.3417);
    service_ = std::make_unique<MapService>(
        std::make_unique<GeoplateformeGeocoder>(
            geocoder_.SearchUrl(FakeGeocoderServer::Endpoint::National),
            OpenDataUserAgent(u"essais@example.org"_s)),
        nullptr, TileLayersOf({u""_s, u""_s, u""_s}));
    service_->KeepPlacesIn(store_->Path());
    QVERIFY(service_->Start());
    profile_.reset(MakeMapViewProfile(folder_.filePath(QString::number(runs_)), nullptr,
                                      "Tarnel essais", QUrl(u"http://127.0.0.1/maps?q="_s)));
    view_ = std::make_unique<WebEngineMapView>(profile_.get());
    view_->TrustServiceOrigin(QUrl(service_->BaseUrl()));
    view_->resize(900, 650);
    view_->show();
    view_->Navigate(service_->BaseUrl() + u"48.8443%2C2.3744"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Js(u"map.dataset.ready"_s).toString(), u"yes"_s, 30000);
    // The list comes sorted; the button takes the keyboard to the panel's filter box, where the
    // cases' keys then go.
    Js(u"document.querySelector('.my-places-toggle').click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(
        Rows(), (QStringList{u"abbaye"_s, u"Église Saint-Michel"_s, u"Gare de Lyon"_s}), 10000);
}

void MyPlacesPageTest::filtersExportsCentresAndShows() {
    QSignalSpy asked(view_.get(), &MapView::PlacesExportAsked);
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
    // The filter sets accents and case aside, and keeps the ticks of the rows it hides.
    QTest::keyClicks(Keys(), u"EGLISE"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Rows(), QStringList{u"Église Saint-Michel"_s}, 10000);
    Js(u"document.getElementById('my-places-format').value = 'geojson'"_s);
    QCOMPARE(Js(label).toString(), u"Exporter le lieu coché"_s);
    Js(button + u".click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 2, 10000);
    QCOMPARE(asked[0], (QVariantList{u"gpx"_s, QVariant::fromValue(QList<qint64>())}));
    QCOMPARE(asked[1], (QVariantList{u"geojson"_s, QVariant::fromValue(QList<qint64>{
                                                       store_->List(u"abbaye"_s).value(0).id})}));
    // A click on a row centres the map on it.
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
    QTRY_COMPARE_WITH_TIMEOUT(Focused(), u"Annuler"_s, 10000);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 4, 10000);
    QCOMPARE(store_->Find(added.id)->added, added.added);
}

void MyPlacesPageTest::importsChosenFiles() {
    // Chosen as the file dialog would; the page asks first, Entrée takes the first choice.
    const auto choose = [this](const QString& file, const QString& offered) {
        QFile bytes(QStringLiteral(TARNEL_PLACES_DATA "/") + file);
        bytes.open(QIODevice::ReadOnly);
        Js(u"(() => { const box = document.getElementById('my-places-file'), chosen = new "
           "DataTransfer(); chosen.items.add(new File([Uint8Array.from(atob('%1'), c => "
           "c.charCodeAt(0))], '%2')); box.files = chosen.files; box.dispatchEvent(new "
           "Event('change')); })()"_s.arg(QString::fromLatin1(bytes.readAll().toBase64()), file));
        QTRY_COMPARE_WITH_TIMEOUT(Focused(), offered, 10000);
        QCOMPARE(store_->Count(), Rows().size());
        QTest::keyClick(Keys(), Qt::Key_Return);
    };
    // Sources of the files in tests/places/data/README.md.
    choose(u"gpsbabel-geocaching.gpx"_s, u"Importer"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 3 + 9, 10000);
    QCOMPARE(Js(u"announcer.textContent"_s).toString(), u"9 lieux importés."_s);
    // BaseCamp's route goes through its two waypoints, under their names: doubles left out.
    Js(u"document.getElementById('my-places-routes').click()"_s);
    choose(u"garmin-basecamp.gpx"_s, u"Sans les doublons"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 12 + 4, 10000);
    // A table's rows, each in its own way of writing degrees.
    choose(u"gpsbabel-human-degrees.csv"_s, u"Importer"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 16 + 19, 10000);
    QCOMPARE(Js(u"announcer.textContent"_s).toString(), u"19 lieux importés."_s);
}

// The address window's search shown on the map: its marker opens the point panel, which offers
// the place under the address looked up, not under the nearest one (no reverse geocoder here).
void MyPlacesPageTest::addsTheSearchedPlaceUnderItsAddress() {
    view_->Navigate(service_->BaseUrl() + u"1 rue X,+Paris,+FRANCE,+75001"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Js(u"map.dataset.place"_s).toString(), u"48.8625000,2.3417000"_s,
                              10000);
    Js(u"document.querySelector('img[alt=\"Lieu cherché\"]').click()"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!Js(u"document.getElementById('panel').hidden"_s).toBool(), 10000);
    Js(u"document.getElementById('add-to-places').click()"_s);
    QCOMPARE(Js(u"document.activeElement.value"_s).toString(), u"1 rue X 75001 Paris"_s);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(store_->Count(), 4, 10000);
    const SavedPlace added = store_->List(u"rue x"_s).value(0);
    QCOMPARE(std::tuple(added.name, added.address, added.latitude, added.longitude),
             std::tuple(u"1 rue X 75001 Paris"_s, u"1 rue X 75001 Paris"_s, 48.8625, 2.3417));
}

QTEST_MAIN(MyPlacesPageTest)
#include "MyPlacesPageTest.moc"
