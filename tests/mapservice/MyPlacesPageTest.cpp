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

namespace {

constexpr int kWait = 30000;

SavedPlace Made(const QString& name, double latitude, double longitude, const QString& note = {}) {
    SavedPlace place;
    place.name = name;
    place.latitude = latitude;
    place.longitude = longitude;
    place.note = note;
    return place;
}

// The map view on a fresh profile of its own, as the program makes it.
struct Browser {
    Browser()
        : profile(MakeMapViewProfile(folder.path(), nullptr, "Tarnel essais",
                                     QUrl(u"http://127.0.0.1/maps?q="_qs)))
        , view(new WebEngineMapView(profile)) {
        view->resize(900, 650);
        view->show();
    }
    ~Browser() {
        delete view; // its page first, then the profile
        delete profile;
    }
    QVariant Js(const QString& script) const {
        QVariant result;
        bool done = false;
        view->Browser()->page()->runJavaScript(script, [&](const QVariant& value) {
            result = value;
            done = true;
        });
        return QTest::qWaitFor([&] { return done; }, 10000) ? result : QVariant();
    }
    bool Open(const QString& url) {
        QSignalSpy loaded(view->Browser()->page(), &QWebEnginePage::loadFinished);
        view->Navigate(url);
        return loaded.wait(kWait) &&
               QTest::qWaitFor([this] { return Js(u"map.dataset.ready"_qs) == u"yes"_qs; }, kWait);
    }
    QStringList Rows() const {
        return Js(u"[...document.querySelectorAll('#my-places-list .place-name')]"
                  ".map(b => b.textContent)"_qs)
            .toStringList();
    }

    QTemporaryDir folder;
    QWebEngineProfile* profile;
    WebEngineMapView* view;
};

} // namespace

// The "Mes lieux" panel in the real engine, on a store of its own and no base layer (nothing
// leaves the machine).
class MyPlacesPageTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listsAndFilters_data();
    void listsAndFilters();
    void rowCentresAndOpensThePoint();
    void addsThePickedPoint();
    void deletesAndUndoes();
    void fitsAndHidesTheLayer();

private:
    bool OpenPanel(Browser& browser) const;

    QTemporaryDir folder_;
    QString path_;
    std::unique_ptr<MapService> service_;
};

void MyPlacesPageTest::init() {
    path_ = folder_.filePath(QString::fromLatin1(QTest::currentDataTag()).isEmpty()
                                 ? QString::fromLatin1(QTest::currentTestFunction())
                                 : QString::fromLatin1(QTest::currentTestFunction()) + u'-' +
                                       QString::fromLatin1(QTest::currentDataTag()));
    PlaceStore store(path_);
    QVERIFY(store.Open().done);
    QList<SavedPlace> places{Made(u"Gare de Lyon"_qs, 48.8443, 2.3744),
                             Made(u"Église Saint-Michel"_qs, 45.75, 4.85, u"clocher"_qs),
                             Made(u"abbaye"_qs, 49.1, -1.5)};
    QVERIFY(store.AddAll(places).done);
    service_ =
        std::make_unique<MapService>(nullptr, nullptr, TileLayersOf({u""_qs, u""_qs, u""_qs}));
    service_->KeepPlacesIn(path_);
    QVERIFY(service_->Start());
}

void MyPlacesPageTest::cleanup() {
    service_.reset();
}

bool MyPlacesPageTest::OpenPanel(Browser& browser) const {
    if (!browser.Open(service_->BaseUrl() + u"48.8443%2C2.3744"_qs))
        return false;
    browser.Js(u"document.querySelector('.my-places-toggle').click()"_qs);
    return QTest::qWaitFor([&] { return browser.Rows().size() == 3; }, kWait);
}

void MyPlacesPageTest::listsAndFilters_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("nothing") << QString()
                             << QStringList{u"abbaye"_qs, u"Église Saint-Michel"_qs,
                                            u"Gare de Lyon"_qs};
    QTest::newRow("accents and case aside")
        << u"EGLISE"_qs << QStringList{u"Église Saint-Michel"_qs};
    QTest::newRow("a word of the note") << u"cloch"_qs << QStringList{u"Église Saint-Michel"_qs};
    QTest::newRow("every word") << u"gare lyon"_qs << QStringList{u"Gare de Lyon"_qs};
    QTest::newRow("none") << u"zzz"_qs << QStringList{};
}

void MyPlacesPageTest::listsAndFilters() {
    QFETCH(QString, typed);
    QFETCH(QStringList, rows);
    Browser browser;
    QVERIFY(OpenPanel(browser));
    // The panel takes the keyboard at once, on its filter box.
    QCOMPARE(browser.Js(u"document.activeElement.id"_qs).toString(), u"my-places-filter"_qs);
    QCOMPARE(browser
                 .Js(u"document.querySelector('.my-places-toggle')"
                     ".getAttribute('aria-expanded')"_qs)
                 .toString(),
             u"true"_qs);
    QTest::keyClicks(browser.view->Browser()->focusProxy(), typed);
    QTRY_COMPARE_WITH_TIMEOUT(browser.Rows(), rows, 10000);
    // Every place is on the map, clustered or alone, whatever the filter.
    QVERIFY(browser.Js(u"document.querySelectorAll('.leaflet-marker-icon').length"_qs).toInt() > 0);
}

void MyPlacesPageTest::rowCentresAndOpensThePoint() {
    Browser browser;
    QVERIFY(OpenPanel(browser));
    browser.Js(u"[...document.querySelectorAll('#my-places-list .place-name')]"
               ".find(b => b.textContent === 'abbaye').click()"_qs);
    QTRY_VERIFY_WITH_TIMEOUT(
        browser.Js(u"document.querySelector('#forms li .text')?.textContent || ''"_qs)
            .toString()
            .startsWith(u"49.1000000, -1.5000000"_qs),
        10000);
    QCOMPARE(browser.Js(u"document.getElementById('panel').hidden"_qs).toBool(), false);
}

void MyPlacesPageTest::addsThePickedPoint() {
    Browser browser;
    QVERIFY(OpenPanel(browser));
    browser.Js(u"document.getElementById('map').focus()"_qs);
    QTest::keyClick(browser.view->Browser()->focusProxy(), Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(!browser.Js(u"document.getElementById('panel').hidden"_qs).toBool(),
                             10000);
    browser.Js(u"document.getElementById('add-to-places').click()"_qs);
    // Named after its coordinates when no address is known; the name is the user's to change.
    QVERIFY(browser.Js(u"document.getElementById('add-place-name').value"_qs)
                .toString()
                .startsWith(u"Point 48.844"_qs));
    browser.Js(u"document.getElementById('add-place-name').value = 'Rendez-vous';"
               "document.getElementById('add-place').requestSubmit()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(browser.Rows().size(), 4, 10000);
    PlaceStore store(path_);
    QVERIFY(store.Open().done);
    const QList<SavedPlace> found = store.List(u"rendez-vous"_qs);
    QCOMPARE(found.size(), 1);
    QVERIFY(std::abs(found[0].latitude - 48.8443) < 1e-4);
    QVERIFY(browser.Js(u"announcer.textContent"_qs).toString().contains(u"ajouté"_qs));
}

void MyPlacesPageTest::deletesAndUndoes() {
    Browser browser;
    QVERIFY(OpenPanel(browser));
    PlaceStore store(path_);
    QVERIFY(store.Open().done);
    const SavedPlace before = store.List(u"gare"_qs).value(0);
    browser.Js(u"document.querySelector('#my-places-list li:last-child "
               "button[aria-label^=\"Supprimer\"]').click()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(browser.Rows().size(), 2, 10000);
    QCOMPARE(store.Count(), 2);
    // The undo button takes the focus, so that a key brings the place back.
    QTRY_COMPARE_WITH_TIMEOUT(browser.Js(u"document.activeElement.textContent"_qs).toString(),
                              u"Annuler"_qs, 10000);
    QTest::keyClick(browser.view->Browser()->focusProxy(), Qt::Key_Return);
    QTRY_COMPARE_WITH_TIMEOUT(browser.Rows().size(), 3, 10000);
    const std::optional<SavedPlace> back = store.Find(before.id);
    QVERIFY(back);
    QCOMPARE(back->name, before.name);
    QCOMPARE(back->added, before.added);
}

void MyPlacesPageTest::fitsAndHidesTheLayer() {
    Browser browser;
    QVERIFY(OpenPanel(browser));
    browser.Js(u"document.getElementById('my-places-fit').click()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(browser.Js(u"announcer.textContent"_qs).toString(),
                              u"La carte montre tous mes lieux."_qs, 10000);
    // Paris, Lyon and Normandy in view, each its own marker at that zoom.
    QTRY_COMPARE_WITH_TIMEOUT(
        browser.Js(u"document.querySelectorAll('img[alt^=\"Mon lieu\"]').length"_qs).toInt(), 3,
        10000);
    browser.Js(u"document.getElementById('my-places-shown').click()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(
        browser.Js(u"document.querySelectorAll('img[alt^=\"Mon lieu\"]').length"_qs).toInt(), 0,
        10000);
    browser.Js(u"document.getElementById('my-places-shown').click()"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(
        browser.Js(u"document.querySelectorAll('img[alt^=\"Mon lieu\"]').length"_qs).toInt(), 3,
        10000);
}

QTEST_MAIN(MyPlacesPageTest)
#include "MyPlacesPageTest.moc"
