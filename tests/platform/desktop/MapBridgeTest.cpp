// The map page's bridge to the program in the real engine: a page of the service's origin
// reaches "tarnel" through Qt WebChannel and fills the main window's boxes; a page of any other
// origin gets no bridge at all.

#include "platform/desktop/MapBridge.h"
#include "core/ProgramTexts.h"
#include "platform/desktop/WebEngineMapView.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/LoopbackServer.h"
#include "ui/common/WindowContext.h"
#include "ui/main/frmMap.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

constexpr int kPageTimeout = 60000;

// Asks the bridge, as the map page does, to take the point of its own query, and says in its
// title what it found: "pont <latitude>" once the call is sent, or what it lacked.
constexpr auto kPage = R"(<!DOCTYPE html><meta charset="utf-8"><title>attente</title><script>
const args = new URLSearchParams(location.search);
if (window.qt && qt.webChannelTransport && typeof QWebChannel === "function") {
  new QWebChannel(qt.webChannelTransport, (channel) => {
    channel.objects.tarnel.TakePoint(args.get("lat"), args.get("lon"), args.get("street"),
      args.get("city"), args.get("postcode"), args.get("country"));
    document.title = "pont " + args.get("lat");
  });
} else {
  document.title = "sans pont " + typeof QWebChannel + " " + typeof window.qt;
}
</script>)";

const QStringList kBoxes{u"txtLat"_qs,  u"txtLong"_qs,    u"txtStreet"_qs,
                         u"txtCity"_qs, u"txtZipCode"_qs, u"txtState"_qs};
const QStringList kTyped{u"1"_qs, u"2"_qs, u"rue typée"_qs, u"Lyon"_qs, u"69001"_qs, u"FRANCE"_qs};

} // namespace

class MapBridgeTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesAndTheBridge_data();
    void pagesAndTheBridge();
    void exportsAsked_data();
    void exportsAsked();
    void filePointsKept_data();
    void filePointsKept();

private:
    LoopbackServer own_;
    LoopbackServer other_;
};

void MapBridgeTest::initTestCase() {
    for (LoopbackServer* server : {&own_, &other_}) {
        server->Server().Get("/maps", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(kPage, "text/html; charset=utf-8");
        });
        QVERIFY(server->Start());
    }
}

void MapBridgeTest::pagesAndTheBridge_data() {
    QTest::addColumn<bool>("ownFirst"); // a page of the service shown before this one
    QTest::addColumn<bool>("own");      // this page is the service's
    QTest::addColumn<QString>("point"); // the query of the page
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("boxes");

    const QString eiffel = u"lat=48.8584000&lon=2.2945000&street=5%20Avenue%20Anatole%20France"
                           "&city=Paris&postcode=75007&country=France"_qs;
    QTest::newRow("the service's page, with its address")
        << false << true << eiffel << u"pont 48.8584000"_qs
        << QStringList{u"48.8584000"_qs, u"2.2945000"_qs, u"5 Avenue Anatole France"_qs,
                       u"Paris"_qs,      u"75007"_qs,     u"France"_qs};
    QTest::newRow("the service's page, a latitude off Earth")
        << false << true << u"lat=91.0000000&lon=2.0"_qs << u"pont 91.0000000"_qs << kTyped;
    QTest::newRow("another origin")
        << false << false << eiffel << u"sans pont undefined undefined"_qs << kTyped;
    QTest::newRow("another origin after the service's page")
        << true << false << eiffel << u"sans pont undefined undefined"_qs << kTyped;
}

void MapBridgeTest::pagesAndTheBridge() {
    QFETCH(bool, ownFirst);
    QFETCH(bool, own);
    QFETCH(QString, point);
    QFETCH(QString, title);
    QFETCH(QStringList, boxes);

    QTemporaryDir dir;
    ProgramTexts texts;
    FakePlatform platform;
    const QString base = own_.Url(u"/maps?q="_qs);
    WindowContext context{texts, dir.path(), base, platform.services};
    auto* view = new WebEngineMapView;
    view->TrustServiceOrigin(QUrl(base));
    frmMap window(context, view);
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(view->Browser()->title(), u"pont null"_qs, kPageTimeout);
    for (qsizetype i = 0; i < kBoxes.size(); ++i)
        window.findChild<QLineEdit*>(kBoxes[i])->setText(kTyped[i]);
    if (ownFirst) {
        view->Navigate(base + u"x&lat=3&lon=4"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QLineEdit*>(u"txtLat"_qs)->text(), u"3"_qs,
                                  kPageTimeout);
        window.findChild<QLineEdit*>(u"txtLat"_qs)->setText(kTyped[0]);
        window.findChild<QLineEdit*>(u"txtLong"_qs)->setText(kTyped[1]);
    }

    view->Navigate((own ? own_ : other_).Url(u"/maps?"_qs) + point);
    QTRY_COMPARE_WITH_TIMEOUT(view->Browser()->title(), title, kPageTimeout);

    const auto read = [&] {
        QStringList shown;
        for (const QString& name : kBoxes)
            shown.append(window.findChild<QLineEdit*>(name)->text());
        return shown;
    };
    if (boxes == kTyped) {
        // The call would have arrived by now: give it time, then see that nothing changed.
        QTest::qWait(500);
        QCOMPARE(read(), boxes);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(read(), boxes, kPageTimeout);
    }
}

void MapBridgeTest::exportsAsked_data() {
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<bool>("passed");
    QTest::addColumn<QList<qint64>>("chosen");
    QTest::newRow("all") << true << u"gpx"_qs << QString() << true << QList<qint64>();
    QTest::newRow("chosen") << true << u"csv-excel"_qs << u"12,5,900000000000"_qs << true
                            << QList<qint64>{12, 5, 900000000000};
    QTest::newRow("untrusted page") << false << u"gpx"_qs << QString() << false << QList<qint64>();
    QTest::newRow("path for format") << true << u"../x"_qs << QString() << false << QList<qint64>();
    QTest::newRow("negative id") << true << u"kml"_qs << u"-1"_qs << false << QList<qint64>();
}

void MapBridgeTest::exportsAsked() {
    QFETCH(bool, trusted);
    QFETCH(QString, format);
    QFETCH(QString, ids);
    QFETCH(bool, passed);
    QFETCH(QList<qint64>, chosen);
    MapBridge bridge([trusted] { return trusted; });
    QSignalSpy asked(&bridge, &MapBridge::PlacesExportAsked);
    bridge.ExportPlaces(format, ids);
    QCOMPARE(asked.size(), passed ? 1 : 0);
    QCOMPARE(asked.value(0).value(0).toString(), passed ? format : QString());
    QCOMPARE(asked.value(0).value(1).value<QList<qint64>>(), chosen);
}

void MapBridgeTest::filePointsKept_data() {
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<double>("latitude");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("kept"); // as the page reads them
    const QString paix = uR"([{"label":"10 Rue de la Paix 75002 Paris","lat":48.8693,"line":7,)"
                         uR"("lng":2.3315,"status":"trouvée"}])"_qs;
    QTest::newRow("kept") << true << 48.8693 << u"10 Rue de la Paix 75002 Paris"_qs << true << paix;
    QTest::newRow("blanks of a label folded")
        << true << 48.8693 << u" 10 Rue de la Paix\n 75002  Paris "_qs << true << paix;
    QTest::newRow("untrusted page")
        << false << 48.8693 << u"10 Rue de la Paix 75002 Paris"_qs << true << u"[]"_qs;
    QTest::newRow("latitude off Earth") << true << 91.0 << u"x"_qs << false << u"[]"_qs;
    QTest::newRow("no latitude") << true << qQNaN() << u"x"_qs << false << u"[]"_qs;
}

void MapBridgeTest::filePointsKept() {
    QFETCH(bool, trusted);
    QFETCH(double, latitude);
    QFETCH(QString, label);
    QFETCH(bool, sent);
    QFETCH(QString, kept);
    MapBridge bridge([trusted] { return trusted; });
    QSignalSpy added(&bridge, &MapBridge::FilePointsAdded);
    bridge.AddFilePoints({{7, latitude, 2.3315, label, u"trouvée"_qs}});
    QCOMPARE(added.size(), sent ? 1 : 0);
    QCOMPARE(bridge.FilePoints(), kept);
}

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    MapBridgeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MapBridgeTest.moc"
