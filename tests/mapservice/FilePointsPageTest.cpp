#include "mapservice/MapService.h"
#include "platform/desktop/MapViewProfile.h"
#include "platform/desktop/WebEngineMapView.h"

#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>

using namespace tarnel;
using namespace Qt::StringLiterals;

namespace {

constexpr int kWait = 20000;
const QString kMap = u"document.getElementById('map')"_s;
const QString kControl = u"document.querySelector('.file-points-open')"_s;

// `count` points of a file spread around Paris, every third to be checked.
QList<FilePoint> PointsAroundParis(int count, int firstLine = 2) {
    QList<FilePoint> points;
    for (int i = 0; i < count; ++i)
        points.append({firstLine + i, 48.80 + (i % 97) * 0.001, 2.30 + (i % 89) * 0.001,
                       u"%1 Rue de Rivoli"_s.arg(i), i % 3 ? u"trouvée"_s : u"à vérifier"_s});
    return points;
}

} // namespace

// The points of a file of addresses on the map page, in the real engine with the program's
// map service (no base layer: nothing leaves the machine), handed over by the map view as the
// window geocoding the file does.
class FilePointsPageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(service_.Start()); }

    void init() {
        profile_.reset(MakeMapViewProfile(folder_.filePath(QString::number(++runs_))));
        view_ = std::make_unique<WebEngineMapView>(profile_.get());
        view_->resize(900, 650);
        view_->show();
    }

    void cleanup() {
        view_.reset(); // the page before its profile
        profile_.reset();
    }

    void pointsFollowTheProgram_data() {
        // "early N": N points found before the page loads; "add N": N more once it shows them,
        // by batches of 500 as the window sends each chunk of the file; "clear"; "tick" the
        // layer's box.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("drawn"); // points in the clusters and markers drawn at the end
        QTest::addColumn<QString>("said");
        QTest::newRow("emptied") << QStringList{u"add 30"_s, u"wait"_s, u"clear"_s} << 0
                                 << u"Plus aucune adresse du fichier sur la carte."_s;
        QTest::newRow("emptied while adding") << QStringList{u"add 5000"_s, u"clear"_s, u"add 1"_s}
                                              << 1 << u"1 adresse du fichier sur la carte."_s;
        QTest::newRow("a few before the page; hidden while adding, shown again")
            << QStringList{u"early 5"_s, u"add 5000"_s, u"tick"_s, u"add 3"_s, u"tick"_s} << 5008
            << u"5\u202f008 adresses du fichier sur la carte."_s;
    }

    void pointsFollowTheProgram() {
        QFETCH(QStringList, steps);
        QFETCH(int, drawn);
        QFETCH(QString, said);
        int sent = 0;
        for (const QString& step : steps)
            if (step.startsWith(u"early"_s))
                view_->ShowFilePoints(PointsAroundParis(sent = step.mid(6).toInt()));
        Open(u""_s); // France, where every point is drawn, alone or in a cluster
        for (const QString& step : steps) {
            if (step.startsWith(u"add"_s)) {
                for (int left = step.mid(4).toInt(), batch = 0; left > 0;
                     left -= batch, sent += batch)
                    view_->ShowFilePoints(PointsAroundParis(batch = std::min(500, left), sent + 2));
            } else if (step == u"wait") {
                QTRY_COMPARE_WITH_TIMEOUT(Drawn(), sent, kWait);
            } else if (step == u"clear") {
                view_->ClearFilePoints();
            } else if (step == u"tick") {
                Js(u"document.querySelector('.file-points-shown input').click()"_s);
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(Drawn(), drawn, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(Js(u"announcer.textContent"_s).toString(), said, kWait);
        // Nothing of an earlier batch comes after.
        QTest::qWait(300);
        QCOMPARE(Drawn(), drawn);
    }

    void markersSayTheirRow_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("byKey"); // Entrée on the focused marker, or a click
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("kind");
        QTest::newRow("found, by key")
            << u"10 Rue de la Paix 75002 Paris"_s << u"trouvée"_s << true
            << u"Ligne 7 : 10 Rue de la Paix 75002 Paris (trouvée)"_s << u"file-point-found"_s;
        QTest::newRow("markup for a label, by click")
            << u"<img src=x onerror=\"document.title='pris'\">"_s << u"à vérifier"_s << false
            << u"Ligne 7 : <img src=x onerror=\"document.title='pris'\"> (à vérifier)"_s
            << u"file-point-review"_s;
    }

    // Each marker, then the control that asks for the file's window, reached from the keyboard
    // as any button.
    void markersSayTheirRow() {
        QFETCH(QString, label);
        QFETCH(QString, status);
        QFETCH(bool, byKey);
        QFETCH(QString, title);
        QFETCH(QString, kind);
        Open(u"48.8566%2C2.3522"_s);
        view_->ShowFilePoints({{7, 48.8569, 2.3526, label, status}});
        const QString marker = u"document.querySelector('.file-point')"_s;
        QTRY_COMPARE_WITH_TIMEOUT(Js(marker + u"?.title"_s).toString(), title, kWait);
        QVERIFY(Js(marker + u".classList.contains('%1')"_s.arg(kind)).toBool());
        QCOMPARE(Js(u"document.querySelectorAll('img[src=\"x\"]').length"_s).toInt(), 0);
        Js(marker + (byKey ? u".focus()"_s : u".click()"_s));
        if (byKey)
            QTest::keyClick(view_->Browser()->focusProxy(), Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(
            Js(u"document.querySelector('#forms .text')?.textContent.slice(0, 21)"_s).toString(),
            u"48.8569000, 2.3526000"_s, kWait);

        QSignalSpy asked(view_.get(), &MapView::AddressFileAsked);
        QCOMPARE(Js(kControl + u".textContent"_s).toString(), u"Géocoder un fichier d'adresses"_s);
        Js(kControl + u".focus()"_s);
        QTest::keyClick(view_->Browser()->focusProxy(), Qt::Key_Space);
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, kWait);
    }

    // A page without the bridge offers no control.
    void noBridgeNoControl() {
        Open(u""_s, false);
        QTest::qWait(500); // the bridge is known at once when there is none: a moment all the same
        QCOMPARE(Js(kControl + u" === null"_s).toBool(), true);
    }

private:
    // Opens the page of `query`, the bridge offered when `trusted`, and waits for the page and,
    // with the bridge, for its control.
    void Open(const QString& query, bool trusted = true) {
        if (trusted)
            view_->TrustServiceOrigin(QUrl(service_.BaseUrl()));
        view_->Navigate(service_.BaseUrl() + query);
        QTRY_COMPARE_WITH_TIMEOUT(Js(kMap + u"?.dataset.ready"_s).toString(), u"yes"_s, kWait);
        if (trusted)
            QTRY_COMPARE_WITH_TIMEOUT(Js(kControl + u" !== null"_s).toBool(), true, kWait);
    }
    QVariant Js(const QString& script) const {
        std::optional<QVariant> result;
        view_->Browser()->page()->runJavaScript(script, [&](QVariant value) { result = value; });
        return QTest::qWaitFor([&] { return result.has_value(); }, 10000) ? *result : QVariant();
    }
    // The points drawn: markers, and those counted in clusters.
    int Drawn() const {
        return Js(u"[...document.querySelectorAll('.file-points-cluster span')].reduce((sum, "
                  "count) => sum + Number(count.textContent), "
                  "document.querySelectorAll('.file-point').length)"_s)
            .toInt();
    }

    QTemporaryDir folder_;
    MapService service_{nullptr, nullptr, TileLayersOf({u""_s, u""_s, u""_s})};
    std::unique_ptr<QWebEngineProfile> profile_; // outlives its view's page
    std::unique_ptr<WebEngineMapView> view_;
    int runs_ = 0;
};

QTEST_MAIN(FilePointsPageTest)
#include "FilePointsPageTest.moc"
