#include "core/Geocoding.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/LoopbackServer.h"
#include "ui/address/FRmChCoord.h"
#include "ui/common/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QXmlStreamReader>
#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

// The main window's boxes and search, recording in which order they are reached.
class RecordingMainWindow : public FakeMainWindow {
public:
    void SetBoxText(MainBox box, const QString& text) override {
        FakeMainWindow::SetBoxText(box, text);
        steps.append(box);
    }
    QList<MainBox> steps;
};

// The map service on the loopback interface: answers /maps with a chosen page after a chosen
// delay, and keeps the request target (path and query, as sent) of every request.
class MapService {
public:
    MapService() {
        server_.Server().Get("/maps",
                             [this](const httplib::Request& request, httplib::Response& response) {
                                 std::string page;
                                 std::chrono::milliseconds delay{};
                                 {
                                     const std::lock_guard lock(mutex_);
                                     targets_.append(QByteArray::fromStdString(request.target));
                                     page = page_;
                                     delay = delay_;
                                 }
                                 std::this_thread::sleep_for(delay);
                                 response.set_content(page, "text/html");
                             });
        // The point's altitude, as the real service's /altitude answers it.
        server_.Server().Get("/altitude",
                             [this](const httplib::Request& request, httplib::Response& response) {
                                 const std::lock_guard lock(mutex_);
                                 targets_.append(QByteArray::fromStdString(request.target));
                                 response.set_content(altitude_, "application/json");
                             });
        started_ = server_.Start();
    }

    bool Started() const { return started_; }
    QString BaseUrl() const { return server_.Url(QStringLiteral("/maps?q=")); }
    void SetPage(const QByteArray& page) {
        const std::lock_guard lock(mutex_);
        page_ = page.toStdString();
    }
    void SetAltitude(const QByteArray& answer) {
        const std::lock_guard lock(mutex_);
        altitude_ = answer.toStdString();
    }
    void SetDelay(std::chrono::milliseconds delay) {
        const std::lock_guard lock(mutex_);
        delay_ = delay;
    }
    QList<QByteArray> Targets() const {
        const std::lock_guard lock(mutex_);
        return targets_;
    }

private:
    mutable std::mutex mutex_;
    std::string page_;
    std::string altitude_ = R"({"status":"none","message":"Aucune altitude connue en ce point."})";
    std::chrono::milliseconds delay_{};
    QList<QByteArray> targets_;
    LoopbackServer server_;
    bool started_ = false;
};

// Types `text` key by key; unlike QTest::keyClicks it also types letters beyond ASCII.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

// The one point gpsbabel reads from `path` as `format`, through its "unicsv" output ("No,
// Latitude,Longitude,Name", the name quoted CSV-style): latitude, longitude and name.
std::optional<std::tuple<double, double, QString>> ReadWithGpsbabel(const QString& format,
                                                                    const QString& path) {
    QProcess gpsbabel;
    gpsbabel.start("gpsbabel", {"-i", format, "-f", path, "-o", "unicsv", "-F", "-"});
    if (!gpsbabel.waitForFinished(10000) || gpsbabel.exitCode() != 0)
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(gpsbabel.readAllStandardOutput())
                                  .split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
    if (lines.size() != 2 || lines[0] != u"No,Latitude,Longitude,Name")
        return std::nullopt;
    QString name = lines[1].section(u',', 3).remove(QRegularExpression("^\"|\"$"));
    return std::tuple{lines[1].section(u',', 1, 1).toDouble(),
                      lines[1].section(u',', 2, 2).toDouble(), name.replace("\"\"", "\"")};
}

// The one Point Feature of a GeoJSON FeatureCollection (RFC 7946: longitude first).
std::optional<std::tuple<double, double, QString>> ReadGeoJson(const QByteArray& bytes) {
    const QJsonObject collection = QJsonDocument::fromJson(bytes).object();
    const QJsonObject feature = collection[u"features"][0].toObject();
    const QJsonArray position = feature[u"geometry"][u"coordinates"].toArray();
    if (collection[u"type"] != u"FeatureCollection"_qs || feature[u"type"] != u"Feature"_qs ||
        feature[u"geometry"][u"type"] != u"Point"_qs || position.size() != 2)
        return std::nullopt;
    return std::tuple{position[1].toDouble(), position[0].toDouble(),
                      feature[u"properties"][u"name"].toString()};
}

// What the GPX 1.1 schema (gpx.xsd, of which Debian ships no copy) asks of a one-waypoint file:
// the root "gpx" in its namespace with version "1.1" and a creator; "wpt" with "lat" and "lon"
// as xsd:decimal in [-90, 90] and [-180, 180); "name" inside it.
bool FollowsGpxSchema(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    QStringList seen; // each element in its namespace, with its attributes
    while (xml.readNext() != QXmlStreamReader::EndDocument && !xml.hasError()) {
        if (xml.isStartElement())
            seen.append(u"%1 %2"_qs.arg(xml.namespaceUri(), xml.qualifiedName()));
        for (const QXmlStreamAttribute& each : xml.attributes())
            seen.append(u"%1=%2"_qs.arg(each.qualifiedName(), each.value()));
    }
    const QString text = seen.join(u'|');
    const QRegularExpression gpx(
        "^http://www.topografix.com/GPX/1/1 gpx\\|version=1\\.1\\|creator=[^|]+\\|"
        "http://www.topografix.com/GPX/1/1 wpt\\|lat=(-?\\d+(\\.\\d+)?)\\|lon=(-?\\d+(\\.\\d+)?)\\|"
        "http://www.topografix.com/GPX/1/1 name$");
    const QRegularExpressionMatch match = gpx.match(text);
    return match.hasMatch() && std::abs(match.captured(1).toDouble()) <= 90 &&
           match.captured(3).toDouble() >= -180 && match.captured(3).toDouble() < 180;
}

const QByteArray kParisPage = "<html>viewport:{center:{lat:48.856614,lng:2.352222},"
                              "span:{lat:0.1,lng:0.2}</html>";

} // namespace

class AddressWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakePlatform> platform_;
    std::unique_ptr<RecordingMainWindow> mainWindow_;
    std::unique_ptr<ProgramTexts> texts_;
    std::unique_ptr<WindowContext> context_;
    std::unique_ptr<MapService> service_;
    std::unique_ptr<QTemporaryDir> folder_;
    QPointer<FRmChCoord> window_;

    FRmChCoord* OpenWindow() {
        window_ = new FRmChCoord(*mainWindow_, *context_, nullptr);
        window_->show();
        return window_;
    }
    // A renamed or missing control stops the test: nothing may pass by not finding it.
    template <typename Control = QLineEdit> Control* Find(const QString& name) const {
        auto* control = window_->findChild<Control*>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }
    QString Text(const QString& box) const { return Find(box)->text(); }
    void SetText(const QString& box, const QString& text) { Find(box)->setText(text); }
    void Click(const QString& button) {
        QTest::mouseClick(Find<QAbstractButton>(button), Qt::LeftButton);
    }
    // Runs one lookup against `page`; the messages and feedback of earlier steps are forgotten.
    void LookUp(const QByteArray& page) {
        service_->SetPage(page);
        platform_->messages.shown.clear();
        platform_->feedback.events.clear();
        Click(QStringLiteral("AskGoogleButton"));
    }
    QByteArray Export(const QString& path) {
        platform_->saveDialog.answer = path;
        Click(QStringLiteral("Command4"));
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void init() {
        platform_ = std::make_unique<FakePlatform>();
        mainWindow_ = std::make_unique<RecordingMainWindow>();
        texts_ = std::make_unique<ProgramTexts>();
        service_ = std::make_unique<MapService>();
        QVERIFY(service_->Started());
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        context_ = std::make_unique<WindowContext>(
            WindowContext{*texts_, folder_->path(), service_->BaseUrl(), platform_->services});
        OpenWindow();
    }

    void cleanup() {
        delete window_;
        service_.reset();
    }

    void startsWithTheSampleAddressAndNoCoordinates_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("centred");
        QTest::newRow("Street") << "Street"
                                << "Rue de la cité" << QColor(192, 255, 192) << false;
        QTest::newRow("Zip") << "Zip"
                             << "75004" << QColor(192, 255, 192) << false;
        QTest::newRow("City") << "City"
                              << "PARIS" << QColor(192, 255, 192) << false;
        QTest::newRow("State") << "State"
                               << "FRANCE" << QColor(192, 255, 192) << false;
        QTest::newRow("Latitude") << "Latitude"
                                  << "" << QColor(192, 255, 255) << true;
        QTest::newRow("Longitude") << "Longitude"
                                   << "" << QColor(192, 255, 255) << true;
    }
    void startsWithTheSampleAddressAndNoCoordinates() {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        QFETCH(bool, centred);
        QLineEdit* edit = Find(box);
        QVERIFY(edit);
        QCOMPARE(edit->text(), text);
        QCOMPARE(edit->property("index").toInt(), 1);
        QCOMPARE(edit->palette().color(QPalette::Base), colour);
        QCOMPARE(bool(edit->alignment() & Qt::AlignHCenter), centred);
        QVERIFY(window_->findChild<QWidget*>(QStringLiteral("Picture1"))->isAncestorOf(edit));
    }

    void windowLooksAsDesigned() {
        QCOMPARE(window_->windowTitle(),
                 QStringLiteral("Rechercher les coordonnées GPS à partir d'une adresse"));
        const TwipScale& scale = window_->Scale();
        QCOMPARE(window_->size(), scale.Size(7500, 3990));
        auto* picture = Find<QWidget>(QStringLiteral("Picture1"));
        QVERIFY(picture->autoFillBackground());
        QCOMPARE(picture->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(picture->geometry(), scale.Rect(0, 0, 7575, 4095));

        QList<int> labelIndexes;
        for (const QLabel* label : window_->findChildren<QLabel*>(QStringLiteral("Label1")))
            labelIndexes.append(label->property("index").toInt());
        std::sort(labelIndexes.begin(), labelIndexes.end());
        QCOMPARE(labelIndexes, QList<int>({0, 1, 2, 3, 9}));
        for (const QString& frame : {QStringLiteral("Frame1"), QStringLiteral("Frame2")})
            QVERIFY(Find<QGroupBox>(frame)->title().isEmpty());

        for (const QString& name : {QStringLiteral("Command1"), QStringLiteral("Command2"),
                                    QStringLiteral("Command3"), QStringLiteral("Command4"),
                                    QStringLiteral("Command5"), QStringLiteral("AskGoogleButton")})
            QVERIFY2(Find<QAbstractButton>(name)->font().bold(), qPrintable(name));
        for (const QString& name :
             {QStringLiteral("Command1"), QStringLiteral("Command3"), QStringLiteral("Command4")}) {
            auto* button = Find<QToolButton>(name);
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QCOMPARE(button->iconSize(), QSize(32, 32));
            QVERIFY2(!button->icon().pixmap(32, 32).isNull(), qPrintable(name));
        }
        QCOMPARE(Find<QAbstractButton>(QStringLiteral("Command4"))->toolTip(),
                 QStringLiteral("Exporter au format <Généric.ASC>"));
        QCOMPARE(Find<QAbstractButton>(QStringLiteral("Command1"))->shortcut(),
                 QKeySequence(Qt::ALT | Qt::Key_F));
        QVERIFY(!Find<QAbstractButton>(QStringLiteral("Command2"))->isEnabled());
        QVERIFY(!Find<QAbstractButton>(QStringLiteral("Command4"))->isEnabled());
    }

    void captionsFitTheirControls() {
        const QStringList misfits = CaptionsThatDoNotFit(window_);
        QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral(" | "))));
    }

    void tabVisitsTheControlsInDesignOrder() {
        const QStringList order = {"Street",          "City",     "State",     "Zip",
                                   "AskGoogleButton", "Latitude", "Longitude", "Command5",
                                   "Command3",        "Command1", "Street"};
        QApplication::setActiveWindow(window_);
        Find(QStringLiteral("Street"))->setFocus();
        // Command2 and Command4 are disabled at load, so Tab passes them by.
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), order[i]);
        }
    }

    void lookUpWritesTheCoordinatesOrReportsNone_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("latitude"); // empty when nothing is found
        QTest::addColumn<QString>("longitude");
        QTest::newRow("viewport centre") << kParisPage << "48.856614000"
                                         << "2.3522220000";
        QTest::newRow("south and east")
            << QByteArray("x:{lat:-33.8688197,lng:151.2092955},y") << "-33.86881970"
            << "151.20929550";
        QTest::newRow("long value cut")
            << QByteArray(":{lat:-33.868819712,lng:151.2092955},") << "-33.86881971"
            << "151.20929550";
        QTest::newRow("upper-case page")
            << QByteArray("VIEWPORT:{CENTER:{LAT:48.8566,LNG:2.35222},") << "48.856600000"
            << "2.3522200000";
        QTest::newRow("no marker") << QByteArray("<html>lat:48.85,lng:2.35},</html>") << ""
                                   << "";
        QTest::newRow("distance 20") << QByteArray(":{lat:48.8566,lng:2.35}, :{lat:48.8566,"
                                                   "lng:2.3522}, :{lat:48.8566,lng:2.352222},")
                                     << ""
                                     << "";
        QTest::newRow("distance 200")
            << QByteArray(":{lat:48.856614,lng:2.352222" + QByteArray(174, ' ') + "},") << ""
            << "";
        QTest::newRow("distance 199")
            << QByteArray(":{lat:48.856614,lng:2.352222" + QByteArray(173, ' ') + "},")
            << "48.856614000"
            << "2.352222    ";
        QTest::newRow("no end marker") << QByteArray(":{lat:48.856614,lng:2.352222}") << ""
                                       << "";
        QTest::newRow("no comma") << QByteArray(":{lat:48.856614;lng:2.352222;x},") << ""
                                  << "";
        QTest::newRow("prime meridian") << QByteArray(":{lat:51.4778,lng:0.0000000000},") << ""
                                        << "";
        QTest::newRow("latitude not a number") << QByteArray(":{lat:abc,lng:2.352222222222},") << ""
                                               << "";
        QTest::newRow("four characters after the comma")
            << QByteArray(":{lat:48.8566140000000,lng:},") << ""
            << "";
        QTest::newRow("empty page") << QByteArray() << ""
                                    << "";
    }
    void lookUpWritesTheCoordinatesOrReportsNone() {
        QFETCH(QByteArray, page);
        QFETCH(QString, latitude);
        QFETCH(QString, longitude);
        SetText(QStringLiteral("Latitude"), QStringLiteral("1"));
        SetText(QStringLiteral("Longitude"), QStringLiteral("2"));
        qsizetype eventsWhenShown = -1;
        platform_->messages.onShow = [&] {
            eventsWhenShown = platform_->feedback.events.size();
        };

        LookUp(page);

        QCOMPARE(service_->Targets().size(), 1);
        QCOMPARE(Text(QStringLiteral("Latitude")), latitude);
        QCOMPARE(Text(QStringLiteral("Longitude")), longitude);
        const bool found = !latitude.isEmpty();
        if (found) {
            QVERIFY(platform_->messages.shown.isEmpty());
            QCOMPARE(platform_->feedback.events, QStringList({"busy", "default"}));
        } else {
            QCOMPARE(platform_->messages.shown.size(), 1);
            const ShownMessage& message = platform_->messages.shown.first();
            QCOMPARE(message.text, QStringLiteral("Pas de coordonnées GPS valides trouvées !"));
            QCOMPARE(message.title, QStringLiteral("Erreur dans l'adresse"));
            QCOMPARE(message.icon, MessageIcon::Exclamation);
            // The box comes after the pointer is back, the beep after the box.
            QCOMPARE(eventsWhenShown, 2);
            QCOMPARE(platform_->feedback.events, QStringList({"busy", "default", "beep"}));
        }
        for (const QString& name : {QStringLiteral("AskGoogleButton"), QStringLiteral("Command2"),
                                    QStringLiteral("Command4")})
            QVERIFY2(Find<QAbstractButton>(name)->isEnabled(), qPrintable(name));
    }

    // Whatever the coordinates' arrival brings about has happened before the pointer is back.
    void coordinatesSettleBeforeThePointerGoesBack() {
        bool settled = false;
        connect(Find(QStringLiteral("Latitude")), &QLineEdit::textChanged, window_,
                [&](const QString& text) {
                    if (!text.isEmpty())
                        QMetaObject::invokeMethod(
                            window_, [&] { settled = true; }, Qt::QueuedConnection);
                });
        bool settledWhenPointerBack = false;
        platform_->feedback.onEvent = [&] {
            if (platform_->feedback.events.constLast() == u"default")
                settledWhenPointerBack = settled;
        };
        LookUp(kParisPage);
        QCOMPARE(Text(QStringLiteral("Latitude")), QStringLiteral("48.856614000"));
        QVERIFY(settledWhenPointerBack);
    }

    void unreachableServiceIsAnAddressWithoutCoordinates() {
        service_.reset(); // nothing listens on that port any more
        Click(QStringLiteral("AskGoogleButton"));
        QCOMPARE(platform_->messages.shown.size(), 1);
        QCOMPARE(platform_->messages.shown.first().text, kNotFoundMessage);
        QCOMPARE(platform_->feedback.events, QStringList({"busy", "default", "beep"}));
        QVERIFY(Find<QAbstractButton>(QStringLiteral("Command2"))->isEnabled());
        QVERIFY(Find<QAbstractButton>(QStringLiteral("Command4"))->isEnabled());
    }

    // Accented letters leave in windows-1252, one percent-encoded byte each.
    void requestCarriesTheTrimmedAddress_data() {
        QTest::addColumn<QStringList>("address"); // street, zip, city, state
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("sample address")
            << QStringList{"Rue de la cité", "75004", "PARIS", "FRANCE"}
            << QByteArray("/maps?q=Rue+de+la+cit%E9,+PARIS,+FRANCE,+75004");
        QTest::newRow("blanks around and inside")
            << QStringList{"  1  rue Haute ", " 35000 ", " Rennes ", " FRANCE  "}
            << QByteArray("/maps?q=1++rue+Haute,+Rennes,+FRANCE,+35000");
        QTest::newRow("empty street and city")
            << QStringList{"", "75004", "", "FRANCE"} << QByteArray("/maps?q=,+,+FRANCE,+75004");
        QTest::newRow("commas stay")
            << QStringList{"2, place Kléber", "67000", "Strasbourg", "FR"}
            << QByteArray("/maps?q=2,+place+Kl%E9ber,+Strasbourg,+FR,+67000");
    }
    void requestCarriesTheTrimmedAddress() {
        QFETCH(QStringList, address);
        QFETCH(QByteArray, target);
        window_->FillAddress(address[0], address[1], address[2], address[3]);
        LookUp(kParisPage);
        QCOMPARE(service_->Targets(), QList<QByteArray>({target}));
    }

    void missingCountryOrPostalCodeStopsBeforeTheRequest_data() {
        QTest::addColumn<QString>("zip");
        QTest::addColumn<QString>("state");
        QTest::newRow("postal code of spaces") << "   "
                                               << "FRANCE";
        QTest::newRow("empty country") << "75004"
                                       << "";
        QTest::newRow("both missing") << ""
                                      << " ";
    }
    void missingCountryOrPostalCodeStopsBeforeTheRequest() {
        QFETCH(QString, zip);
        QFETCH(QString, state);
        SetText(QStringLiteral("Zip"), zip);
        SetText(QStringLiteral("State"), state);
        SetText(QStringLiteral("Latitude"), QStringLiteral("48.8"));
        SetText(QStringLiteral("Longitude"), QStringLiteral("2.3"));
        QVERIFY(window_->MissingData());

        LookUp(kParisPage);

        QVERIFY(service_->Targets().isEmpty());
        QCOMPARE(platform_->messages.shown.size(), 1);
        QCOMPARE(platform_->messages.shown.first().text,
                 QStringLiteral("Zone(s) de texte erronnée(s)."));
        QCOMPARE(platform_->messages.shown.first().title, QStringLiteral("Erreur !"));
        QCOMPARE(platform_->messages.shown.first().icon, MessageIcon::Exclamation);
        QVERIFY(platform_->feedback.events.isEmpty());
        QCOMPARE(Text(QStringLiteral("Latitude")), QString());
        QCOMPARE(Text(QStringLiteral("Longitude")), QString());
        QVERIFY(!Find<QAbstractButton>(QStringLiteral("Command2"))->isEnabled());
        QVERIFY(!Find<QAbstractButton>(QStringLiteral("Command4"))->isEnabled());
    }

    void sendFillsTheMainWindowThenSearches() {
        LookUp(kParisPage);
        Click(QStringLiteral("Command2"));
        QCOMPARE(mainWindow_->steps,
                 QList<MainBox>({MainBox::Latitude, MainBox::Longitude, MainBox::Street,
                                 MainBox::ZipCode, MainBox::City, MainBox::State}));
        QCOMPARE(mainWindow_->searches, 1);
        QCOMPARE(mainWindow_->boxes.value(MainBox::Latitude), QStringLiteral("48.856614000"));
        QCOMPARE(mainWindow_->boxes.value(MainBox::Longitude), QStringLiteral("2.3522220000"));
        QCOMPARE(mainWindow_->boxes.value(MainBox::Street), QStringLiteral("Rue de la cité"));
        QCOMPARE(mainWindow_->boxes.value(MainBox::ZipCode), QStringLiteral("75004"));
        QCOMPARE(mainWindow_->boxes.value(MainBox::City), QStringLiteral("PARIS"));
        QCOMPARE(mainWindow_->boxes.value(MainBox::State), QStringLiteral("FRANCE"));
        QVERIFY(window_->isVisible());
    }

    void copyAddressLeavesTheCoordinatesAlone() {
        mainWindow_->boxes[MainBox::Latitude] = QStringLiteral("45.1");
        mainWindow_->boxes[MainBox::Longitude] = QStringLiteral("5.7");
        LookUp(kParisPage);
        SetText(QStringLiteral("Street"), QStringLiteral(" 8 rue \"Haute\" "));
        Click(QStringLiteral("Command5"));
        QCOMPARE(mainWindow_->steps, QList<MainBox>({MainBox::Street, MainBox::ZipCode,
                                                     MainBox::City, MainBox::State}));
        QCOMPARE(mainWindow_->boxes.value(MainBox::Street), QStringLiteral(" 8 rue \"Haute\" "));
        QCOMPARE(mainWindow_->boxes.value(MainBox::Latitude), QStringLiteral("45.1"));
        QCOMPARE(mainWindow_->boxes.value(MainBox::Longitude), QStringLiteral("5.7"));
        QCOMPARE(mainWindow_->searches, 0);
    }

    void clearEmptiesEveryBoxAndKeepsExportAvailable() {
        LookUp(kParisPage);
        Click(QStringLiteral("Command3"));
        for (const char* box : {"Street", "Zip", "City", "State", "Latitude", "Longitude"})
            QVERIFY2(Text(box).isEmpty(), box);
        QVERIFY(!Find<QAbstractButton>(QStringLiteral("Command2"))->isEnabled());
        QVERIFY(Find<QAbstractButton>(QStringLiteral("Command4"))->isEnabled());
        QVERIFY(Find<QAbstractButton>(QStringLiteral("AskGoogleButton"))->isEnabled());
    }

    void numericBoxesTakeOnlyNumberCharacters_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        for (const char* box : {"Zip", "Latitude", "Longitude"}) {
            QTest::addRow("%s letter", box) << box << "a"
                                            << "";
            QTest::addRow("%s signs and points", box) << box << "--1..2"
                                                      << "--1..2";
            QTest::addRow("%s mixed", box) << box << "4a8,5 x-7é"
                                           << "485-7";
        }
        QTest::newRow("Street takes anything") << "Street"
                                               << "8 rue Éloi-é"
                                               << "8 rue Éloi-é";
        QTest::newRow("City takes anything") << "City"
                                             << "Saint-Étienne 42"
                                             << "Saint-Étienne 42";
    }
    void numericBoxesTakeOnlyNumberCharacters() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QLineEdit* edit = Find(box);
        edit->clear();
        Type(edit, typed);
        QCOMPARE(edit->text(), result);
    }

    void editingKeysStillWorkInNumericBoxes_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("Zip") << "Zip";
        QTest::newRow("Latitude") << "Latitude";
        QTest::newRow("Longitude") << "Longitude";
    }
    void editingKeysStillWorkInNumericBoxes() {
        QFETCH(QString, box);
        QLineEdit* edit = Find(box);
        edit->setText(QStringLiteral("12345"));
        edit->setCursorPosition(5);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Left);
        QTest::keyClick(edit, Qt::Key_Left);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("24"));
    }

    void exportWritesOneGenericAscLine_data() {
        QTest::addColumn<QStringList>("boxes"); // Street Zip City State Latitude Longitude
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("worked example")
            << QStringList{"Rue de la cité", "75004",        "PARIS",
                           "FRANCE",         "48.856614000", "2.3522000000"}
            << QByteArray(
                   "2.3522000000,48.856614000, \"Rue de la cit\xE9 75004 PARIS FRANCE\"\r\n");
        QTest::newRow("all empty")
            << QStringList{"", "", "", "", "", ""} << QByteArray(",, \"   \"\r\n");
        QTest::newRow("typed coordinates and a quote")
            << QStringList{"Le \"Grand\" Café", "44000", "Nantes", "FRANCE", "47.2", "-1.5"}
            << QByteArray("-1.5,47.2, \"Le \"Grand\" Caf\xE9 44000 Nantes FRANCE\"\r\n");
    }
    void exportWritesOneGenericAscLine() {
        QFETCH(QStringList, boxes);
        QFETCH(QByteArray, bytes);
        LookUp(kParisPage);
        const QStringList names = {"Street", "Zip", "City", "State", "Latitude", "Longitude"};
        for (qsizetype i = 0; i < names.size(); ++i)
            SetText(names[i], boxes[i]);

        QCOMPARE(Export(folder_->filePath(QStringLiteral("point.asc"))), bytes);

        QCOMPARE(platform_->saveDialog.requests.size(), 1);
        const SaveDialogRequest& request = platform_->saveDialog.requests.first();
        QCOMPARE(request.title,
                 QStringLiteral("Exporter une coordonnée GPS au format <Generic.ASC>"));
        QCOMPARE(request.filterDescription, QStringLiteral(" Fichier Generic.ASC (*.asc) "));
        QCOMPARE(request.filterPattern, QStringLiteral("*.asc"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("asc"));
        QCOMPARE(request.initialDirectory, folder_->path());
        QVERIFY(platform_->messages.shown.isEmpty());
    }

    // The dialog offers the name confirmed last, a cancel leaving it as it was, until the window
    // is closed.
    void exportOffersTheNameConfirmedLast() {
        LookUp(kParisPage);
        const QString first = folder_->filePath(QStringLiteral("first.asc"));
        const QString second = folder_->filePath(QStringLiteral("second.asc"));
        Export(first);
        platform_->saveDialog.answer = std::nullopt;
        Click(QStringLiteral("Command4"));
        Export(second);
        Click(QStringLiteral("Command1"));
        QTRY_VERIFY(window_.isNull());
        OpenWindow();
        LookUp(kParisPage);
        Export(first);

        QStringList offered;
        for (const SaveDialogRequest& request : platform_->saveDialog.requests)
            offered.append(request.previousPath);
        QCOMPARE(offered, QStringList({QString(), first, first, QString()}));
    }

    void exportWorksOnceTheAddressIsCleared() {
        LookUp(kParisPage);
        Click(QStringLiteral("Command3"));
        QCOMPARE(Export(folder_->filePath(QStringLiteral("empty.asc"))),
                 QByteArray(",, \"   \"\r\n"));
    }

    // A confirmed name is written even when it is the one the previous export used.
    void exportAgainToTheSameNameWritesAgain() {
        LookUp(kParisPage);
        const QString path = folder_->filePath(QStringLiteral("same.asc"));
        QVERIFY(Export(path).startsWith("2.3522220000,48.856614000,"));
        SetText(QStringLiteral("Longitude"), QStringLiteral("-1.5"));
        QCOMPARE(Export(path), QByteArray("-1.5,48.856614000, \"Rue de la cit\xE9 75004 PARIS "
                                          "FRANCE\"\r\n"));
    }

    void exportReplacesALongerFile() {
        LookUp(kParisPage);
        const QString path = folder_->filePath(QStringLiteral("old.asc"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(500, 'x'));
        old.close();
        QCOMPARE(Export(path).size(), 64);
    }

    void cancelledExportWritesNothing() {
        LookUp(kParisPage);
        platform_->saveDialog.answer = std::nullopt;
        Click(QStringLiteral("Command4"));
        QCOMPARE(platform_->saveDialog.requests.size(), 1);
        QVERIFY(QDir(folder_->path()).entryList(QDir::Files).isEmpty());
        QVERIFY(platform_->messages.shown.isEmpty());
    }

    void exportThatCannotBeWrittenIsReported_data() {
        QTest::addColumn<QString>("relativePath");
        QTest::newRow("missing folder") << "missing/point.asc";
        QTest::newRow("a folder's name") << "folder.asc";
    }
    void exportThatCannotBeWrittenIsReported() {
        QFETCH(QString, relativePath);
        QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("folder.asc")));
        LookUp(kParisPage);
        const QString path = folder_->filePath(relativePath);
        Export(path);
        QCOMPARE(platform_->messages.shown.size(), 1);
        const ShownMessage& message = platform_->messages.shown.first();
        QVERIFY2(message.text.contains(QDir::toNativeSeparators(path)), qPrintable(message.text));
        QCOMPARE(message.icon, MessageIcon::Exclamation);
        QVERIFY(!QFileInfo(path).isFile());
    }

    // GPX, KML and GeoJSON, chosen by the file type or by the extension typed, as gpsbabel (and
    // a JSON parser) read them back; an extension of none of them keeps Generic.ASC. Boxes that
    // hold no number in range, or a file that cannot be written: a message, and no file.
    void exportWritesTheFormatOtherProgramsRead_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("filter");          // 0 Generic.ASC, 1 GPX, 2 KML, 3 GeoJSON
        QTest::addColumn<QStringList>("boxes");   // Latitude, Longitude, Street
        QTest::addColumn<QString>("reader");      // a gpsbabel format, "asc", or none
        QTest::addColumn<QList<double>>("point"); // latitude, longitude read back
        QTest::addColumn<QString>("message");     // "<path>" stands for the file's path
        const auto row = [](const char* name, const char* fileName, int filter, QStringList boxes,
                            const char* reader, QList<double> point, const QString& message = {}) {
            QTest::newRow(name) << QString::fromUtf8(fileName) << filter << boxes
                                << QString::fromUtf8(reader) << point << message;
        };
        row("GPX as the file type", "point", 1, {"48.856614000", "2.3522220000", "Rue de la cité"},
            "gpx", {48.856614, 2.352222});
        row("GPX typed over GeoJSON, pole and antimeridian", "lieu.gpx", 3,
            {"-90", "180", "Pôle <Sud>"}, "gpx", {-90, -180});
        row("KML as the file type, blanks left by the lookup", "point", 2,
            {"-33.86881970", "151.2092    ", "Le \"Grand\" & Cie, 2e"}, "kml",
            {-33.8688197, 151.2092});
        row("KML typed", "Point.KML", 0, {"47.2", "-1.5", "x"}, "kml", {47.2, -1.5});
        row("GeoJSON as the file type", "point", 3, {"+0", "-.5", "Rue de la cité"}, "geojson",
            {0, -0.5});
        row("json typed over KML, empty street", "lieu.json", 2, {"47.2", "-1.5", ""}, "geojson",
            {47.2, -1.5});
        row("asc typed over GPX", "lieu.asc", 1, {"47.2", "-1.5", "x"}, "asc", {});
        row("another extension", "lieu.txt", 0, {"4 7", "-1.5", "x"}, "asc", {});
        const QString sentence = QStringLiteral("La %1 « %2 » n'est pas un nombre entre -%3 et %3 "
                                                ": le fichier n'a pas été enregistré.");
        row("empty latitude", "point.gpx", 0, {"", "2.3", "x"}, "", {},
            sentence.arg("latitude", "", "90"));
        row("beyond 180", "point", 3, {"48.8", "-180.5", "x"}, "", {},
            sentence.arg("longitude", "-180.5", "180"));
        row("missing folder", "missing/point.kml", 0, {"48.8", "2.3", "x"}, "", {},
            "Le fichier « <path> » n'a pas pu être enregistré.\nVérifiez que son dossier existe "
            "et que vous avez le droit d'y écrire.");
    }
    void exportWritesTheFormatOtherProgramsRead() {
        QFETCH(QString, fileName);
        QFETCH(int, filter);
        QFETCH(QStringList, boxes);
        QFETCH(QString, reader);
        QFETCH(QList<double>, point);
        QFETCH(QString, message);
        LookUp(kParisPage);
        for (qsizetype i = 0; i < boxes.size(); ++i)
            SetText(QStringList{"Latitude", "Longitude", "Street"}[i], boxes[i]);
        platform_->saveDialog.filter = filter;
        const QString path = folder_->filePath(fileName);
        const QByteArray bytes = Export(path);

        QStringList offered;
        for (const SaveDialogFilter& other : platform_->saveDialog.requests.constLast().moreFilters)
            offered.append(other.description + u'|' + other.pattern + u'|' + other.defaultSuffix);
        QCOMPARE(
            offered,
            QStringList({"Fichier GPX 1.1 (*.gpx)|*.gpx|gpx", "Fichier KML 2.2 (*.kml)|*.kml|kml",
                         "Fichier GeoJSON (*.geojson *.json)|*.geojson *.json|geojson"}));
        if (!message.isEmpty()) {
            QCOMPARE(platform_->messages.shown.size(), 1);
            const ShownMessage& shown = platform_->messages.shown.first();
            QCOMPARE(shown.text, message.replace("<path>", QDir::toNativeSeparators(path)));
            QCOMPARE(shown.title, QStringLiteral("Erreur"));
            QCOMPARE(shown.icon, MessageIcon::Exclamation);
            QVERIFY(QDir(folder_->path()).entryList(QDir::Files).isEmpty());
            return;
        }
        QVERIFY(platform_->messages.shown.isEmpty());
        const QString name = boxes[2] + QStringLiteral(" 75004 PARIS FRANCE");
        if (reader == u"asc") {
            QCOMPARE(bytes, (boxes[1] + u',' + boxes[0] + ", \"" + name + "\"\r\n").toLatin1());
            return;
        }
        QVERIFY(reader != u"gpx" || FollowsGpxSchema(bytes));
        QList readings{ReadWithGpsbabel(reader, path)};
        if (reader == u"geojson")
            readings.append(ReadGeoJson(bytes));
        for (const auto& read : readings) {
            QVERIFY2(read, bytes.constData());
            const auto& [latitude, longitude, readName] = *read;
            QCOMPARE(readName, name);
            QVERIFY(std::abs(latitude - point[0]) < 1e-6 && std::abs(longitude - point[1]) < 1e-6);
        }
    }

    // The exchange formats carry the altitude the map service knows of the point, as GDAL reads
    // them back: GPX's "ele", the third coordinate of KML and GeoJSON; Generic.ASC has no room.
    void exportCarriesTheAltitude_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("answer"); // of the service's /altitude
        QTest::addColumn<QString>("read");      // in GDAL's reading; for Generic.ASC, what it lacks
        QTest::addColumn<int>("asked");         // requests to /altitude
        const QByteArray found = R"j({"status":"found","message":"Altitude : 35,2 m (RGE ALTI®, )j"
                                 R"j(IGN)","metres":35.2,"source":"RGE ALTI®, IGN"})j";
        QTest::newRow("GPX: its ele field")
            << u"point.gpx"_qs << found << u"ele (Real) = 35.2"_qs << 1;
        QTest::newRow("KML") << u"point.kml"_qs << found << u"POINT Z (2.352222 48.856614 35.2)"_qs
                             << 1;
        QTest::newRow("GeoJSON") << u"point.geojson"_qs << found
                                 << u"POINT Z (2.352222 48.856614 35.2)"_qs << 1;
        QTest::newRow("none known: two coordinates")
            << u"point.geojson"_qs
            << QByteArray(R"({"status":"none","message":"Aucune altitude connue en ce point."})")
            << u"POINT (2.352222 48.856614)"_qs << 1;
        QTest::newRow("Generic.ASC: not asked") << u"point.asc"_qs << found << u"35.2"_qs << 0;
    }
    void exportCarriesTheAltitude() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, answer);
        QFETCH(QString, read);
        QFETCH(int, asked);
        LookUp(kParisPage);
        service_->SetAltitude(answer);
        const qsizetype before = service_->Targets().size();
        const QString path = folder_->filePath(fileName);
        const QByteArray bytes = Export(path);
        QVERIFY(!bytes.isEmpty());
        const QList<QByteArray> targets = service_->Targets().mid(before);
        QCOMPARE(targets.size(), asked);
        if (asked)
            QCOMPARE(targets.first(), QByteArray("/altitude?lat=48.856614&lon=2.352222"));
        if (fileName.endsWith(u".asc")) {
            QVERIFY(!bytes.contains(read.toLatin1()));
            return;
        }
        QProcess ogrinfo;
        ogrinfo.start(u"ogrinfo"_qs, {u"-ro"_qs, u"-al"_qs, u"-q"_qs, path});
        QVERIFY(ogrinfo.waitForFinished(20000) && ogrinfo.exitCode() == 0);
        const QString output = QString::fromUtf8(ogrinfo.readAllStandardOutput());
        QVERIFY2(output.contains(read), qPrintable(output));
    }

    // While the service takes its time, clicks, keys and closing do nothing; the answer then
    // lands as usual.
    void requestInProgressTakesNoInput() {
        service_->SetDelay(std::chrono::milliseconds(1000));
        bool wasInProgress = false;
        bool askButtonEnabled = true;
        bool closed = true;
        QStringList feedbackDuring;
        QTimer::singleShot(300, window_, [&] {
            wasInProgress = window_->RequestInProgress();
            feedbackDuring = platform_->feedback.events;
            auto* ask = Find<QAbstractButton>(QStringLiteral("AskGoogleButton"));
            askButtonEnabled = ask->isEnabled();
            Click(QStringLiteral("Command3"));
            Click(QStringLiteral("Command1"));
            Type(Find(QStringLiteral("Street")), QStringLiteral("xyz"));
            QTest::keyClick(window_, Qt::Key_F, Qt::AltModifier);
            closed = window_->close();
            // Even a click that reaches the button handler does not start a second request.
            ask->setEnabled(true);
            ask->click();
            ask->setEnabled(false);
        });
        LookUp(kParisPage);

        QVERIFY(wasInProgress);
        QVERIFY(!askButtonEnabled);
        QVERIFY(!closed);
        QCOMPARE(feedbackDuring, QStringList({"busy"}));
        QVERIFY(window_);
        QVERIFY(window_->isVisible());
        QVERIFY(!window_->RequestInProgress());
        QCOMPARE(service_->Targets().size(), 1);
        QCOMPARE(Text(QStringLiteral("Street")), QStringLiteral("Rue de la cité"));
        QCOMPARE(Text(QStringLiteral("Latitude")), QStringLiteral("48.856614000"));
        QCOMPARE(Text(QStringLiteral("Longitude")), QStringLiteral("2.3522220000"));
        QCOMPARE(mainWindow_->searches, 0);
        QCOMPARE(platform_->feedback.events, QStringList({"busy", "default"}));

        // Input reaches the window again.
        Click(QStringLiteral("Command3"));
        QVERIFY(Text(QStringLiteral("Street")).isEmpty());
    }

    // Every command button, the three with a picture included, is pressed by Enter while it has
    // the focus.
    void enterPressesTheFocusedButton_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("keypad");
        QTest::newRow("Effacer") << "Command3" << false;
        QTest::newRow("Exporter") << "Command4" << false;
        QTest::newRow("Fermer") << "Command1" << false;
        QTest::newRow("Fermer, keypad Enter") << "Command1" << true;
        QTest::newRow("copy the address") << "Command5" << false;
    }
    void enterPressesTheFocusedButton() {
        QFETCH(QString, button);
        QFETCH(bool, keypad);
        LookUp(kParisPage);
        platform_->saveDialog.answer = std::nullopt;
        QApplication::setActiveWindow(window_);
        QVERIFY(QTest::qWaitForWindowActive(window_));
        auto* pressed = Find<QAbstractButton>(button);
        pressed->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), pressed);

        QTest::keyClick(pressed, keypad ? Qt::Key_Enter : Qt::Key_Return,
                        keypad ? Qt::KeypadModifier : Qt::NoModifier);

        if (button == u"Command1") {
            QTRY_VERIFY(window_.isNull());
            return;
        }
        QVERIFY(window_->isVisible());
        QCOMPARE(Text(QStringLiteral("Street")).isEmpty(), button == u"Command3");
        QCOMPARE(platform_->saveDialog.requests.size(), button == u"Command4" ? 1 : 0);
        QCOMPARE(mainWindow_->steps.isEmpty(), button != u"Command5");
    }

    void closeAndReopenStartsAfresh_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Fermer") << "button";
        QTest::newRow("access key") << "Alt+F";
        QTest::newRow("title bar") << "close box";
    }
    void closeAndReopenStartsAfresh() {
        QFETCH(QString, how);
        LookUp(kParisPage);
        SetText(QStringLiteral("City"), QStringLiteral("LYON"));
        if (how == u"button") {
            Click(QStringLiteral("Command1"));
        } else if (how == u"Alt+F") {
            QApplication::setActiveWindow(window_);
            QVERIFY(QTest::qWaitForWindowActive(window_));
            QTest::keyClick(Find(QStringLiteral("Street")), Qt::Key_F, Qt::AltModifier);
        } else {
            QVERIFY(window_->close());
        }
        QTRY_VERIFY(window_.isNull());

        OpenWindow();
        QCOMPARE(Text(QStringLiteral("Street")), QStringLiteral("Rue de la cité"));
        QCOMPARE(Text(QStringLiteral("Zip")), QStringLiteral("75004"));
        QCOMPARE(Text(QStringLiteral("City")), QStringLiteral("PARIS"));
        QCOMPARE(Text(QStringLiteral("State")), QStringLiteral("FRANCE"));
        QVERIFY(Text(QStringLiteral("Latitude")).isEmpty());
        QVERIFY(!Find<QAbstractButton>(QStringLiteral("Command2"))->isEnabled());
        QVERIFY(!Find<QAbstractButton>(QStringLiteral("Command4"))->isEnabled());
    }

    void fillAddressReplacesTheFourAddressBoxes() {
        SetText(QStringLiteral("Latitude"), QStringLiteral("48.8"));
        window_->FillAddress(QStringLiteral("1 quai Est"), QStringLiteral(""),
                             QStringLiteral("Lyon"), QStringLiteral(" "));
        QCOMPARE(Text(QStringLiteral("Street")), QStringLiteral("1 quai Est"));
        QCOMPARE(Text(QStringLiteral("Zip")), QString());
        QCOMPARE(Text(QStringLiteral("City")), QStringLiteral("Lyon"));
        QCOMPARE(Text(QStringLiteral("State")), QStringLiteral(" "));
        QCOMPARE(Text(QStringLiteral("Latitude")), QStringLiteral("48.8"));
    }

    // Last: it runs the application's event loop and ends it. The modal window keeps the user
    // from "Quitter", but the end of the session asks the application to quit: the request is
    // abandoned, nothing is reported, and the application's loop ends at once.
    void quitDuringRequestEndsAtOnce() {
        service_->SetDelay(std::chrono::milliseconds(3000));
        std::chrono::steady_clock::time_point asked;
        QTimer::singleShot(0, window_, [this] { LookUp(kParisPage); });
        QTimer::singleShot(300, qApp, [&asked] {
            asked = std::chrono::steady_clock::now();
            QCoreApplication::quit();
        });
        // Should the quit be refused, the test fails instead of waiting for ever.
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QApplication::exec();
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - asked);
        qInfo("the application's loop ended %lld ms after the quit", qint64(elapsed.count()));
        QVERIFY(elapsed < std::chrono::milliseconds(1000));
        QVERIFY(platform_->messages.shown.isEmpty());
        QCOMPARE(platform_->feedback.events, QStringList({"busy", "default"}));
        // Quitting closes every window, this one too now that the request is given up.
        QVERIFY(!window_ || !window_->isVisible());
    }
};

QTEST_MAIN(AddressWindowTest)
#include "AddressWindowTest.moc"
