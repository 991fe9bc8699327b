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
    void listsFiltersAndShows_data();
    void listsFiltersAndShows();
    void rowCentresOnThePoint();
    void addsThePickedPoint();
    void deletesAndUndoes();
    void importsAChosenFile_data();
    void importsAChosenFile();
    void exportsTheTickedPlaces_data();
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
    for (const auto& [title, latitude, longitude, note] :
         {std::tuple(u"Gare de Lyon"_s, 48.8443, 2.3744, QString()),
          std::tuple(u"Église Saint-Michel"_s, 45.75, 4.85, u"clocher"_s),
          std::tuple(u"abbaye"_s, 49.1, -1.5, QString())}) {
        SavedPlace place;
        place.name = title;
        place.latitude = latitude;
        place.longitude = longitude;
        place.note = note;
        QVERIFY(store_->Add(place).done);
    }
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
    // The button takes the keyboard to the panel's filter box.
    Js(u"document.querySelector('.my-places-toggle').click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 3, 10000);
    QCOMPARE(Js(u"document.activeElement.id"_s).toString(), u"my-places-filter"_s);
}

void MyPlacesPageTest::cleanup() {
    delete view_; // its page first, then the profile
    delete profile_;
    service_.reset();
}

void MyPlacesPageTest::listsFiltersAndShows_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("nothing, sorted")
        << QString() << QStringList{u"abbaye"_s, u"Église Saint-Michel"_s, u"Gare de Lyon"_s};
    QTest::newRow("accents and case aside") << u"EGLISE"_s << QStringList{u"Église Saint-Michel"_s};
    QTest::newRow("none") << u"zzz"_s << QStringList{};
}

void MyPlacesPageTest::listsFiltersAndShows() {
    QFETCH(QString, typed);
    QFETCH(QStringList, rows);
    QTest::keyClicks(Keys(), typed);
    QTRY_COMPARE_WITH_TIMEOUT(Rows(), rows, 10000);
    // Whatever the filter, "Tout afficher" shows all three, each its own marker at that zoom,
    // and the layer hides and comes back.
    const QString markers = u"document.querySelectorAll('img[alt^=\"Mon lieu\"]').length"_s;
    Js(u"document.getElementById('my-places-fit').click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Js(markers).toInt(), 3, 10000);
    Js(u"document.getElementById('my-places-shown').click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Js(markers).toInt(), 0, 10000);
}

void MyPlacesPageTest::rowCentresOnThePoint() {
    Js(u"[...document.querySelectorAll('.place-name')].find(b => b.textContent === 'abbaye')"
       ".click()"_s);
    QTRY_VERIFY_WITH_TIMEOUT(Js(u"document.querySelector('#forms .text')?.textContent"_s)
                                 .toString()
                                 .startsWith(u"49.1000000, -1.5000000"_s),
                             10000);
}

void MyPlacesPageTest::addsThePickedPoint() {
    Js(u"document.getElementById('map').focus()"_s);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!Js(u"document.getElementById('panel').hidden"_s).toBool(), 10000);
    Js(u"document.getElementById('add-to-places').click()"_s);
    // Named after its coordinates when no address is known, the name is the user's to change.
    QVERIFY(Js(u"document.activeElement.value"_s).toString().startsWith(u"Point 48.844"_s));
    QTest::keyClicks(Keys(), u"Rendez-vous"_s);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 4, 10000);
    const QList<SavedPlace> added = store_->List(u"rendez-vous"_s);
    QCOMPARE(added.size(), 1);
    QVERIFY(std::abs(added[0].latitude - 48.8443) < 1e-4);
}

void MyPlacesPageTest::deletesAndUndoes() {
    const SavedPlace gare = store_->List(u"gare"_s).value(0);
    Js(u"document.querySelector('[aria-label=\"Supprimer Gare de Lyon\"]').click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(store_->Count(), 2, 10000);
    QCOMPARE(Rows().size(), 2);
    // "Annuler" takes the focus: a key brings the place back as it was.
    QTRY_COMPARE_WITH_TIMEOUT(Js(u"document.activeElement.textContent"_s).toString(), u"Annuler"_s,
                              10000);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 3, 10000);
    QCOMPARE(store_->Find(gare.id)->added, gare.added);
}

void MyPlacesPageTest::importsAChosenFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("routes");     // "Points des itinéraires et des traces" ticked
    QTest::addColumn<QString>("offered"); // the first choice offered, which Entrée takes
    QTest::addColumn<int>("imported");
    QTest::addColumn<QString>("said");
    // Sources of both files in tests/places/data/README.md.
    QTest::newRow("GPSBabel's waypoints")
        << u"gpsbabel-geocaching.gpx"_s << false << u"Importer"_s << 9 << u"9 lieux importés."_s;
    QTest::newRow("BaseCamp's waypoints")
        << u"garmin-basecamp.gpx"_s << false << u"Importer"_s << 2
        << u"2 lieux importés. 4 points d'itinéraires ou de traces ont été laissés de côté "
           "(seuls les points de passage sont importés)."_s;
    // Its route goes through its two waypoints, under their names: doubles left out.
    QTest::newRow("BaseCamp's routes and tracks too, without their doubles")
        << u"garmin-basecamp.gpx"_s << true << u"Sans les doublons"_s << 4
        << u"4 lieux importés."_s;
}

void MyPlacesPageTest::importsAChosenFile() {
    QFETCH(QString, file);
    QFETCH(bool, routes);
    QFETCH(QString, offered);
    QFETCH(int, imported);
    QFETCH(QString, said);
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
    QCOMPARE(Js(u"announcer.textContent"_s).toString(), said);
}

void MyPlacesPageTest::exportsTheTickedPlaces_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("ticked"); // in this order, the last one ticked twice when "!"
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("exported"); // none: all of them
    QTest::newRow("all as GPX") << u"gpx"_s << QStringList() << u"Exporter tous mes lieux"_s
                                << QStringList();
    QTest::newRow("two for Excel")
        << u"csv-excel"_s << QStringList{u"Gare de Lyon"_s, u"abbaye"_s}
        << u"Exporter les 2 lieux cochés"_s << QStringList{u"Gare de Lyon"_s, u"abbaye"_s};
    QTest::newRow("one as GeoJSON, another ticked off again")
        << u"geojson"_s << QStringList{u"abbaye"_s, u"Gare de Lyon"_s, u"!Gare de Lyon"_s}
        << u"Exporter le lieu coché"_s << QStringList{u"abbaye"_s};
}

void MyPlacesPageTest::exportsTheTickedPlaces() {
    QFETCH(QString, format);
    QFETCH(QStringList, ticked);
    QFETCH(QString, label);
    QFETCH(QStringList, exported);
    QSignalSpy asked(view_, &MapView::PlacesExportAsked);
    // Shown once the bridge is there: the program writes the file.
    QTRY_VERIFY_WITH_TIMEOUT(!Js(u"document.getElementById('my-places-export').hidden"_s).toBool(),
                             10000);
    for (QString name : ticked)
        Js(u"document.querySelector('[aria-label=\"Choisir %1 pour l\\'export\"]').click()"_s.arg(
            name.remove(u'!')));
    // A filter keeps the ticks of the rows it hides.
    QTest::keyClicks(Keys(), u"zzz"_s);
    QTRY_COMPARE_WITH_TIMEOUT(Rows().size(), 0, 10000);
    Js(u"document.getElementById('my-places-format').value = '%1'"_s.arg(format));
    const QString button = u"document.getElementById('my-places-export-button')"_s;
    QCOMPARE(Js(button + u".getAttribute('aria-label')"_s).toString(), label);
    Js(button + u".click()"_s);
    QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 10000);
    QCOMPARE(asked[0][0].toString(), format);
    QList<qint64> ids;
    for (const QString& name : exported)
        ids.append(store_->List(name).value(0).id);
    QCOMPARE(asked[0][1].value<QList<qint64>>(), ids);
}

QTEST_MAIN(MyPlacesPageTest)
#include "MyPlacesPageTest.moc"
