#include "ui/main/frmMap.h"
#include "core/ProgramInfo.h"
#include "core/ProgramTexts.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/FakePlatform.h"
#include "ui/common/Fonts.h"
#include "ui/common/Twips.h"
#include "ui/common/WindowContext.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

const QString kBase = QStringLiteral("http://maps.test/maps?q=");
const QString kFileName = QStringLiteral("SavDerPos.ini");

// Types `text` key by key; QTest's own typing knows only ASCII keys.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// A program directory, fakes of the platform and the main window on a fake map.
struct Harness {
    enum class LastPosition { None, File, Folder };

    explicit Harness(LastPosition kind = LastPosition::None, const QByteArray& bytes = {}) {
        const QString path = dir.filePath(kFileName);
        if (kind == LastPosition::File) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(bytes);
        } else if (kind == LastPosition::Folder) {
            QDir().mkpath(path);
        }
        view = new FakeMapView;
        window = std::make_unique<frmMap>(context, view);
    }

    // A renamed or missing control stops the test: nothing may pass by not finding it.
    template <typename T = QWidget> T* Child(const QString& name) const {
        auto* child = window->findChild<T*>(name);
        if (!child)
            qFatal("no control %s", qPrintable(name));
        return child;
    }
    QLineEdit* Box(const QString& name) const { return Child<QLineEdit>(name); }
    void Click(const QString& button) const {
        QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton);
    }
    QByteArray FileBytes() const {
        QFile file(dir.filePath(kFileName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    ProgramTexts texts;
    FakePlatform platform;
    WindowContext context{texts, dir.path(), kBase, platform.services};
    FakeMapView* view = nullptr;
    std::unique_ptr<frmMap> window;
};

// Closes the modal window that a click opens and tells which it was.
struct ModalCloser {
    QString name;
    bool modal = false;
    QString streetShown;

    void Arm() {
        QTimer::singleShot(0, qApp, [this] {
            QWidget* shown = QApplication::activeModalWidget();
            if (!shown)
                return;
            name = shown->objectName();
            modal = shown->isModal() && shown->isVisible();
            if (auto* street = shown->findChild<QLineEdit*>(QStringLiteral("Street")))
                streetShown = street->text();
            shown->close();
        });
    }
};

} // namespace

class frmMapTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void startUpUrl_data();
    void startUpUrl();
    void startUpWithUnreadableFile();

    void addressSearch_data();
    void addressSearch();
    void coordinateSearch_data();
    void coordinateSearch();
    void missingCoordinate_data();
    void missingCoordinate();
    void twoSearchesKeepTheSecond();
    void pointTakenFromMap_data();
    void pointTakenFromMap();
    void filesDropped_data();
    void filesDropped();
    void lastPositionInTheUserDataFolder();
    void saveFailureToldOncePerRun();

    void zipFilter_data();
    void zipFilter();
    void enterRunsNoCommand_data();
    void enterRunsNoCommand();

    void mapViewSizeFor_data();
    void mapViewSizeFor();
    void mapViewFollowsWindow();

    void window();
    void controls_data();
    void controls();
    void tabOrder();
    void captionsFit();

    void helpOpensDocument();
    void showsToolWindowModal_data();
    void showsToolWindowModal();
    void copyAddress();
    void copyAddressThenShow();
    void copyLatitudeThenLongitude();

    // Last: they run the application's event loop and end it.
    void quitEndsProgramWithHiddenWindows();
    void closingByTitleBarEndsProgram();

private:
    QTemporaryDir dataHome_;
};

void frmMapTest::initTestCase() {
    InstallFontSubstitutes();
    // The user's data folder, where the last position goes when the program folder cannot
    // hold it, lies in a folder of the test's own.
    QVERIFY(dataHome_.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome_.path()));
}

void frmMapTest::startUpUrl_data() {
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QString>("expectedUrl");

    QTest::newRow("no file") << false << QByteArray() << kBase;
    QTest::newRow("address") << true << QByteArray("\"1 rue X,+Paris,+FRANCE,+75001\"\r\n")
                             << kBase + "1 rue X,+Paris,+FRANCE,+75001";
    QTest::newRow("coordinates") << true << QByteArray("\"48.8584,2.2945\"\r\n")
                                 << kBase + "48.8584,2.2945";
    QTest::newRow("all address parts empty")
        << true << QByteArray("\",+,+,+\"\r\n") << kBase + ",+,+,+";
    QTest::newRow("empty value") << true << QByteArray("\"\"\r\n") << kBase;
    QTest::newRow("blank first line") << true << QByteArray("\r\n\"48,2\"\r\n") << kBase;
    QTest::newRow("empty file") << true << QByteArray() << kBase;
    QTest::newRow("unquoted") << true << QByteArray("48.8584,2.2945\r\n") << kBase + "48.8584";
    QTest::newRow("windows-1252") << true << QByteArray("\"Rue de la cit\xe9,+PARIS\"\r\n")
                                  << kBase + QStringLiteral("Rue de la cité,+PARIS");
}

void frmMapTest::startUpUrl() {
    QFETCH(bool, withFile);
    QFETCH(QByteArray, fileBytes);
    QFETCH(QString, expectedUrl);

    Harness harness(withFile ? Harness::LastPosition::File : Harness::LastPosition::None,
                    fileBytes);

    QCOMPARE(harness.view->urls, QStringList{expectedUrl});
    QCOMPARE(harness.texts.lastPosition, expectedUrl.mid(kBase.size()));
    QCOMPARE(harness.platform.messages.shown.size(), 0);
    QCOMPARE(QFileInfo::exists(harness.dir.filePath(kFileName)), withFile);
}

void frmMapTest::startUpWithUnreadableFile() {
    // A folder carrying the file's name cannot be read as the file.
    Harness harness(Harness::LastPosition::Folder);

    QCOMPARE(harness.view->urls, QStringList{kBase});
    QCOMPARE(harness.platform.messages.shown.size(), 0);
}

void frmMapTest::addressSearch_data() {
    QTest::addColumn<QString>("street");
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("zipCode");
    QTest::addColumn<QString>("expectedQuery");
    QTest::addColumn<QByteArray>("expectedFile");

    QTest::newRow("all parts") << "1 rue X"
                               << "Paris"
                               << "FRANCE"
                               << "75001"
                               << "1 rue X,+Paris,+FRANCE,+75001"
                               << QByteArray("\"1 rue X,+Paris,+FRANCE,+75001\"\r\n");
    QTest::newRow("no street") << ""
                               << "Paris"
                               << "FRANCE"
                               << "75001"
                               << "Paris,+FRANCE,+75001"
                               << QByteArray("\",+Paris,+FRANCE,+75001\"\r\n");
    QTest::newRow("no country") << "1 rue X"
                                << "Paris"
                                << ""
                                << "75001"
                                << "1 rue X,+Paris,+75001"
                                << QByteArray("\"1 rue X,+Paris,+,+75001\"\r\n");
    QTest::newRow("no postal code")
        << "1 rue X"
        << "Paris"
        << "FRANCE"
        << ""
        << "1 rue X,+Paris,+FRANCE,+" << QByteArray("\"1 rue X,+Paris,+FRANCE,+\"\r\n");
    QTest::newRow("postal code only") << ""
                                      << ""
                                      << ""
                                      << "75001"
                                      << "75001" << QByteArray("\",+,+,+75001\"\r\n");
    QTest::newRow("nothing") << ""
                             << ""
                             << ""
                             << ""
                             << "" << QByteArray("\",+,+,+\"\r\n");
    QTest::newRow("blank street") << " "
                                  << "Paris"
                                  << ""
                                  << ""
                                  << " ,+Paris,+" << QByteArray("\" ,+Paris,+,+\"\r\n");
    QTest::newRow("accented") << "Rue de la cité"
                              << "Évry"
                              << "FRANCE"
                              << "91000" << QStringLiteral("Rue de la cité,+Évry,+FRANCE,+91000")
                              << QByteArray("\"Rue de la cit\xe9,+\xc9vry,+FRANCE,+91000\"\r\n");
}

void frmMapTest::addressSearch() {
    QFETCH(QString, street);
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(QString, zipCode);
    QFETCH(QString, expectedQuery);
    QFETCH(QByteArray, expectedFile);

    Harness harness;
    Type(harness.Box("txtStreet"), street);
    Type(harness.Box("txtCity"), city);
    Type(harness.Box("txtState"), state);
    Type(harness.Box("txtZipCode"), zipCode);
    harness.Click("Command3");

    QCOMPARE(harness.view->urls, (QStringList{kBase, kBase + expectedQuery}));
    QCOMPARE(harness.FileBytes(), expectedFile);
    QCOMPARE(harness.platform.messages.shown.size(), 0);
}

void frmMapTest::coordinateSearch_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("expectedQuery");
    QTest::addColumn<QByteArray>("expectedFile");

    QTest::newRow("decimal") << "48.8584"
                             << "2.2945"
                             << "48.8584%2C2.2945" << QByteArray("\"48.8584,2.2945\"\r\n");
    QTest::newRow("southern eastern")
        << "-33.8568"
        << "151.2153"
        << "-33.8568%2C151.2153" << QByteArray("\"-33.8568,151.2153\"\r\n");
    QTest::newRow("decimal commas") << "48,8584"
                                    << "2,2945"
                                    << "48,8584%2C2,2945" << QByteArray("\"48,8584,2,2945\"\r\n");
    QTest::newRow("not numbers") << "abc"
                                 << "def"
                                 << "abc%2Cdef" << QByteArray("\"abc,def\"\r\n");
    QTest::newRow("blank counts as a value") << " "
                                             << "2"
                                             << " %2C2" << QByteArray("\" ,2\"\r\n");
    QTest::newRow("degrees minutes seconds")
        << QStringLiteral("48°51'23\"") << QStringLiteral("2°17'40\"")
        << QStringLiteral("48°51'23\"%2C2°17'40\"")
        << QByteArray("\"48\xb0"
                      "51'23\",2\xb0"
                      "17'40\"\"\r\n");
}

void frmMapTest::coordinateSearch() {
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(QString, expectedQuery);
    QFETCH(QByteArray, expectedFile);

    Harness harness;
    Type(harness.Box("txtLat"), latitude);
    Type(harness.Box("txtLong"), longitude);
    harness.Click("Command4");

    QCOMPARE(harness.view->urls, (QStringList{kBase, kBase + expectedQuery}));
    QCOMPARE(harness.FileBytes(), expectedFile);
    QCOMPARE(harness.platform.messages.shown.size(), 0);
}

void frmMapTest::pointTakenFromMap_data() {
    // Latitude, longitude, street, city, postcode, country; the boxes afterwards when they differ.
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("with its address")
        << QStringList{u"48.8584000"_qs, u"2.2945000"_qs, u"5 Avenue Anatole France"_qs,
                       u"Paris"_qs,      u"75007"_qs,     u"France"_qs}
        << QStringList();
    QTest::newRow("no address found: the typed one stays")
        << QStringList{u"-33.8568000"_qs, u"151.2153000"_qs, {}, {}, {}, {}}
        << QStringList{u"-33.8568000"_qs, u"151.2153000"_qs, u"1 rue typée"_qs,
                       u"Lyon"_qs,        u"69001"_qs,       u"FRANCE"_qs};
    QTest::newRow("a village: no street left from before")
        << QStringList{u"45.1"_qs, u"5.2"_qs, {}, u"Izeron"_qs, u"38160"_qs, u"France"_qs}
        << QStringList();
}

void frmMapTest::pointTakenFromMap() {
    QFETCH(QStringList, taken);
    QFETCH(QStringList, boxes);

    Harness harness;
    const QStringList names{u"txtLat"_qs,  u"txtLong"_qs,    u"txtStreet"_qs,
                            u"txtCity"_qs, u"txtZipCode"_qs, u"txtState"_qs};
    const QStringList typed{u"1"_qs,    u"2"_qs,     u"1 rue typée"_qs,
                            u"Lyon"_qs, u"69001"_qs, u"FRANCE"_qs};
    for (qsizetype i = 0; i < names.size(); ++i)
        harness.Box(names[i])->setText(typed[i]);
    emit harness.view->PointTaken(taken[0], taken[1], taken[2], taken[3], taken[4], taken[5]);
    QStringList shown;
    for (const QString& name : names)
        shown.append(harness.Box(name)->text());
    QCOMPARE(shown, boxes.isEmpty() ? taken : boxes);
    // No search runs and nothing is saved.
    QCOMPARE(harness.view->urls, QStringList{kBase});
    QCOMPARE(harness.FileBytes(), QByteArray());
    QCOMPARE(harness.platform.messages.shown.size(), 0);
}

void frmMapTest::filesDropped_data() {
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QStringList>("handedOn");
    QTest::newRow("two files") << QList<QUrl>{QUrl::fromLocalFile(u"/tmp/clients.csv"_qs),
                                              QUrl::fromLocalFile(u"/tmp/b.ods"_qs)}
                               << QStringList{u"/tmp/clients.csv"_qs, u"/tmp/b.ods"_qs};
    QTest::newRow("a web address")
        << QList<QUrl>{QUrl(u"https://example.org/a.csv"_qs)} << QStringList();
}

// Local files dropped on the window are handed on; anything else is refused.
void frmMapTest::filesDropped() {
    QFETCH(QList<QUrl>, urls);
    QFETCH(QStringList, handedOn);
    Harness harness;
    QSignalSpy dropped(harness.window.get(), &frmMap::FilesDropped);
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(harness.window.get(), &enter);
    QCOMPARE(enter.isAccepted(), !handedOn.isEmpty());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(harness.window.get(), &drop);
    QCOMPARE(dropped.size(), handedOn.isEmpty() ? 0 : 1);
    QCOMPARE(dropped.value(0).value(0).toStringList(), handedOn);
}

void frmMapTest::missingCoordinate_data() {
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");

    QTest::newRow("no latitude") << ""
                                 << "2.2945";
    QTest::newRow("no longitude") << "48.8584"
                                  << "";
    QTest::newRow("neither") << ""
                             << "";
}

void frmMapTest::missingCoordinate() {
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);

    Harness harness(Harness::LastPosition::File, "\"48,2\"\r\n");
    Type(harness.Box("txtLat"), latitude);
    Type(harness.Box("txtLong"), longitude);
    harness.Click("Command4");

    QCOMPARE(harness.platform.messages.shown.size(), 1);
    const ShownMessage message = harness.platform.messages.shown.constFirst();
    QCOMPARE(message.text, QStringLiteral("Une valeur est attendue !"));
    QCOMPARE(message.title, QStringLiteral("Erreur"));
    QCOMPARE(message.icon, MessageIcon::Information);
    QCOMPARE(harness.view->urls, QStringList{kBase + "48,2"});
    QCOMPARE(harness.FileBytes(), QByteArray("\"48,2\"\r\n"));
    QCOMPARE(harness.texts.lastPosition, QStringLiteral("48,2"));
}

void frmMapTest::twoSearchesKeepTheSecond() {
    Harness harness;
    Type(harness.Box("txtCity"), "Paris");
    harness.Click("Command3");
    Type(harness.Box("txtLat"), "1");
    Type(harness.Box("txtLong"), "2");
    harness.Click("Command4");

    QCOMPARE(harness.FileBytes(), QByteArray("\"1,2\"\r\n"));
    QCOMPARE(harness.texts.lastPosition, QStringLiteral("1,2"));
}

void frmMapTest::lastPositionInTheUserDataFolder() {
    // A folder in the file's place cannot be written, even by an administrator.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(data.startsWith(dataHome_.path()));
    {
        Harness harness(Harness::LastPosition::Folder);
        Type(harness.Box("txtLat"), "48.8584");
        Type(harness.Box("txtLong"), "2.2945");
        harness.Click("Command4");
        QCOMPARE(harness.platform.messages.shown.size(), 0);
    }
    QFile saved(QDir(data).filePath(kFileName));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("\"48.8584,2.2945\"\r\n"));
    saved.close();

    Harness nextRun(Harness::LastPosition::Folder);
    QCOMPARE(nextRun.view->urls, QStringList{kBase + "48.8584,2.2945"});
    QVERIFY(QDir(data).removeRecursively());
}

void frmMapTest::saveFailureToldOncePerRun() {
    // Neither the program folder (a folder in the file's place) nor the user's data folder (a
    // file where it should be made) can hold the file, even for an administrator.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QVERIFY(QDir().mkpath(QFileInfo(data).path()));
    QFile blocker(data);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto unblock = qScopeGuard([&blocker] { blocker.remove(); });
    Harness harness(Harness::LastPosition::Folder);
    Type(harness.Box("txtLat"), "48.8584");
    Type(harness.Box("txtLong"), "2.2945");
    harness.Click("Command4");
    harness.Click("Command4");
    harness.Click("Command3");

    QCOMPARE(harness.view->urls,
             (QStringList{kBase, kBase + "48.8584%2C2.2945", kBase + "48.8584%2C2.2945", kBase}));
    QCOMPARE(harness.platform.messages.shown.size(), 1);
    const ShownMessage message = harness.platform.messages.shown.constFirst();
    QCOMPARE(message.title, QStringLiteral("Tarnel"));
    QCOMPARE(message.icon, MessageIcon::Exclamation);
    QVERIFY2(message.text.contains(kFileName), qPrintable(message.text));
    QVERIFY2(message.text.contains(QDir::toNativeSeparators(data)), qPrintable(message.text));
    QCOMPARE(harness.texts.lastPosition, QStringLiteral(",+,+,+"));
}

void frmMapTest::zipFilter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("expected");

    const int left = Qt::Key_Left;
    const int ctrlV = QKeyCombination(Qt::ControlModifier, Qt::Key_V).toCombined();
    const int ctrlX = QKeyCombination(Qt::ControlModifier, Qt::Key_X).toCombined();
    QTest::newRow("letter dropped") << "75a01" << QList<int>() << "7501";
    QTest::newRow("full stop kept") << "75.01" << QList<int>() << "75.01";
    QTest::newRow("comma dropped") << "75,01" << QList<int>() << "7501";
    QTest::newRow("blank dropped") << "75 01" << QList<int>() << "7501";
    QTest::newRow("minus dropped") << "-7501" << QList<int>() << "7501";
    QTest::newRow("accented letter dropped") << QStringLiteral("75é01") << QList<int>() << "7501";
    QTest::newRow("backspace deletes") << "75001" << QList<int>{Qt::Key_Backspace} << "7500";
    QTest::newRow("enter dropped") << "75" << QList<int>{Qt::Key_Return, Qt::Key_Enter} << "75";
    QTest::newRow("paste key dropped") << "75" << QList<int>{ctrlV} << "75";
    QTest::newRow("cut key dropped") << "75" << QList<int>{ctrlX} << "75";
    QTest::newRow("arrows and delete work")
        << "123" << QList<int>{left, left, Qt::Key_Delete} << "13";
    QTest::newRow("home then type") << "23" << QList<int>{Qt::Key_Home, Qt::Key_1} << "123";
}

void frmMapTest::zipFilter() {
    QFETCH(QString, typed);
    QFETCH(QList<int>, keys);
    QFETCH(QString, expected);

    Harness harness;
    QGuiApplication::clipboard()->setText(QStringLiteral("99"));
    QLineEdit* box = harness.Box("txtZipCode");
    Type(box, typed);
    for (const int combined : keys) {
        const QKeyCombination key = QKeyCombination::fromCombined(combined);
        QTest::keyClick(box, key.key(), key.keyboardModifiers());
    }
    QCOMPARE(box->text(), expected);
}

void frmMapTest::enterRunsNoCommand_data() {
    QTest::addColumn<QString>("box");
    for (const char* box : {"txtStreet", "txtCity", "txtZipCode", "txtState", "txtLat", "txtLong"})
        QTest::newRow(box) << box;
}

void frmMapTest::enterRunsNoCommand() {
    QFETCH(QString, box);

    Harness harness;
    harness.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(harness.window.get()));
    for (const char* name : {"txtStreet", "txtCity", "txtZipCode", "txtState", "txtLat", "txtLong"})
        harness.Box(name)->setText(QStringLiteral("1"));
    QLineEdit* edit = harness.Box(box);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    QTest::keyClick(edit, Qt::Key_Escape);

    QCOMPARE(harness.view->urls.size(), 1);
    QCOMPARE(harness.platform.messages.shown.size(), 0);
    QVERIFY(harness.window->isVisible());
}

void frmMapTest::mapViewSizeFor_data() {
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QSize>("previous");
    QTest::addColumn<QSize>("expected");

    const QSize design(5175, 3255);
    QTest::newRow("design window") << QSize(12360, 8100) << design << QSize(12140, 5750);
    QTest::newRow("maximized") << QSize(19320, 11340) << QSize(12140, 5750) << QSize(19100, 8990);
    QTest::newRow("restored") << QSize(12360, 8100) << QSize(19100, 8990) << QSize(12140, 5750);
    QTest::newRow("too low: height kept")
        << QSize(12360, 2000) << QSize(12140, 5750) << QSize(12140, 5750);
    QTest::newRow("too low, width still follows")
        << QSize(9000, 2000) << QSize(12140, 5750) << QSize(8780, 5750);
    QTest::newRow("too narrow: width kept")
        << QSize(200, 8100) << QSize(12140, 4000) << QSize(12140, 5750);
    QTest::newRow("both too small") << QSize(100, 100) << design << design;
    QTest::newRow("exactly the margins") << QSize(220, 2350) << design << QSize(0, 0);
}

void frmMapTest::mapViewSizeFor() {
    QFETCH(QSize, outer);
    QFETCH(QSize, previous);
    QFETCH(QSize, expected);

    QCOMPARE(frmMap::MapViewSizeFor(outer, previous), expected);
}

void frmMapTest::mapViewFollowsWindow() {
    Harness harness;
    if (TwipScale::For(harness.window.get()).Pixels(1440) != 96)
        QSKIP("The pixel figures below are those of a 96 DPI screen");
    harness.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(harness.window.get()));
    QWidget* map = harness.view;

    // The outer size counts the frame: 824 x 540 pixels is 12360 x 8100 twips, giving a map
    // view of 12140 x 5750 twips.
    const QSize frame = harness.window->frameGeometry().size() - harness.window->size();
    harness.window->resize(QSize(824, 540) - frame);
    QTRY_COMPARE(map->geometry(), QRect(0, 120, 809, 383));

    // 100 pixels high is 1500 twips: the height is refused, the width still follows.
    harness.window->resize(QSize(700, 100) - frame);
    QTRY_COMPARE(map->geometry(), QRect(0, 120, 685, 383));

    harness.window->showMinimized();
    QCoreApplication::processEvents();
    QCOMPARE(map->geometry(), QRect(0, 120, 685, 383));
}

void frmMapTest::window() {
    Harness harness;
    frmMap& window = *harness.window;
    const TwipScale scale = TwipScale::For(&window);

    QCOMPARE(window.objectName(), QStringLiteral("frmMap"));
    QCOMPARE(window.windowTitle(), "Tarnel - v " + kVersionText + " - Utilitaire coordonnées GPS ");
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.size(), scale.Size(12240, 7575));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    QCOMPARE(window.minimumSize(), QSize(0, 0));
    const QRect screen = window.screen()->availableGeometry();
    QVERIFY2(qAbs(window.geometry().center().x() - screen.center().x()) <= 1 &&
                 qAbs(window.geometry().center().y() - screen.center().y()) <= 1,
             "the window starts centred on the screen");
    for (const QPushButton* button : window.findChildren<QPushButton*>())
        QVERIFY2(!button->autoDefault() && !button->isDefault(), qPrintable(button->objectName()));
    QCOMPARE(window.focusWidget(), harness.Box("txtStreet"));
}

void frmMapTest::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QString>("toolTip");

    const QString copyTip = QStringLiteral("Copier la valeur dans la fenêtre de conversion");
    const auto row = [](const char* name, const char* container, const QString& caption,
                        QRect twips, bool bold, const QString& toolTip = {}) {
        QTest::newRow(name) << name << container << caption << twips << bold << toolTip;
    };
    row("Frame1", "frmMap", "Recherche par adresse ", {120, 120, 5415, 1575}, true);
    row("Label1", "Frame1", "Rue :", {600, 360, 495, 255}, false);
    row("txtStreet", "Frame1", "", {1200, 360, 4095, 285}, false);
    row("Label2", "Frame1", "Commune :", {1920, 720, 855, 255}, false);
    row("txtCity", "Frame1", "", {2880, 720, 2415, 285}, false);
    row("Label4", "Frame1", "Code Postal :", {60, 720, 1035, 255}, false);
    row("txtZipCode", "Frame1", "", {1200, 720, 735, 285}, false);
    row("Label3", "Frame1", "Pays :", {360, 1080, 735, 255}, false);
    row("txtState", "Frame1", "", {1200, 1080, 975, 285}, false);
    row("Command3", "Frame1", "Rechercher avec l'adresse", {2280, 1080, 2535, 375}, true);
    row("Command8", "Frame1", "...", {4920, 1080, 375, 375}, true,
        QStringLiteral("Copier l'adresse dans la fenêtre de recherche des coordonnées"));
    row("Frame2", "frmMap", QStringLiteral("Recherche par coordonnées "), {5640, 120, 3375, 1575},
        true);
    row("Label5", "Frame2", "Latitude :", {240, 360, 735, 255}, false);
    row("Label6", "Frame2", "Longitude :", {120, 720, 855, 255}, false);
    row("txtLat", "Frame2", "", {1080, 360, 1695, 285}, false);
    row("txtLong", "Frame2", "", {1080, 720, 1695, 285}, false);
    row("Command4", "Frame2", QStringLiteral("Rechercher par coordonnées"), {120, 1080, 3135, 375},
        true);
    row("Command9", "Frame2", "...", {2880, 360, 375, 255}, true, copyTip);
    row("Command10", "Frame2", "...", {2880, 720, 375, 255}, true, copyTip);
    row("Frame3", "frmMap", "", {9120, 120, 3015, 1575}, false);
    row("Command1", "Frame3", QStringLiteral("&Conversion coordonnées GPS"), {120, 240, 2775, 375},
        true, QStringLiteral("Utilitaire de conversion de coordonnées GPS"));
    row("Command6", "Frame3", QStringLiteral("Rechercher coordonnées GPS"), {120, 720, 2775, 375},
        true, QStringLiteral("Recherche des coordonnées à partir d'une adresse"));
    row("Command2", "Frame3", "&A propos", {120, 1200, 975, 255}, false);
    row("Command7", "Frame3", "Aide", {1200, 1200, 735, 255}, false);
    row("Command5", "Frame3", "&Quitter", {2040, 1200, 855, 255}, true);
    row("WebBrowser1", "frmMap", "", {0, 1800, 5175, 3255}, false);
}

void frmMapTest::controls() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(bool, bold);
    QFETCH(QString, toolTip);

    Harness harness;
    const TwipScale scale = TwipScale::For(harness.window.get());
    QWidget* control = harness.Child(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), scale.Rect(twips.x(), twips.y(), twips.width(), twips.height()));
    QCOMPARE(control->toolTip(), toolTip);
    if (auto* frame = qobject_cast<QGroupBox*>(control)) {
        QCOMPARE(frame->title(), caption);
        QCOMPARE(frame->font().bold(), bold);
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->font().bold(), bold);
        QCOMPARE(button->font().pointSizeF(), 8.25);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        QVERIFY(!label->font().bold());
    } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
        QVERIFY(box->text().isEmpty());
        QCOMPARE(box->maxLength(), 32767);
        const bool coordinate = name == u"txtLat" || name == u"txtLong";
        QCOMPARE(box->alignment() & Qt::AlignHorizontal_Mask,
                 coordinate ? Qt::AlignHCenter : Qt::AlignLeft);
        QCOMPARE(box->palette().color(QPalette::Base),
                 coordinate ? QColor(192, 255, 255) : QColor(192, 255, 192));
    }
}

void frmMapTest::tabOrder() {
    Harness harness;
    QStringList order;
    QWidget* widget = harness.Box("txtStreet");
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != harness.Box("txtStreet"));

    // The fake map view takes no focus; the real one stands between Command7 and Command8.
    QCOMPARE(order,
             (QStringList{"txtStreet", "txtCity", "txtZipCode", "txtState", "Command3", "txtLat",
                          "txtLong", "Command4", "Command1", "Command2", "Command5", "Command6",
                          "Command7", "Command8", "Command9", "Command10"}));
}

void frmMapTest::captionsFit() {
    Harness harness;
    if (QFontInfo(DesignFont()).family() != u"Liberation Sans")
        QSKIP("The design font's substitute, Liberation Sans, is not installed");
    const QStringList misfits = CaptionsThatDoNotFit(harness.window.get());
    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral("; "))));
}

void frmMapTest::helpOpensDocument() {
    Harness harness;
    harness.Click("Command7");

    QCOMPARE(harness.platform.shell.opened.size(), 1);
    QCOMPARE(harness.platform.shell.opened.constFirst().target,
             harness.dir.path() + QStringLiteral("/AideTarnel.pdf"));
    QCOMPARE(harness.platform.shell.opened.constFirst().workingDirectory, harness.dir.path());
    QCOMPARE(harness.platform.messages.shown.size(), 0);
}

void frmMapTest::showsToolWindowModal_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("window");

    QTest::newRow("conversion") << "Command1"
                                << "FRM_Conv";
    QTest::newRow("address") << "Command6"
                             << "FRmChCoord";
    QTest::newRow("about") << "Command2"
                           << "frmAbout";
}

void frmMapTest::showsToolWindowModal() {
    QFETCH(QString, button);
    QFETCH(QString, window);

    Harness harness;
    harness.window->show();
    for (int opening = 0; opening < 2; ++opening) {
        ModalCloser closer;
        closer.Arm();
        harness.Click(button);
        QCOMPARE(closer.name, window);
        QVERIFY(closer.modal);
        // Closing unloads the window: the next opening makes a new one.
        QTRY_VERIFY(!harness.window->findChild<QDialog*>(window));
    }
}

void frmMapTest::copyAddress() {
    Harness harness;
    Type(harness.Box("txtStreet"), "1 rue X");
    Type(harness.Box("txtZipCode"), "75001");
    Type(harness.Box("txtCity"), "Paris");
    Type(harness.Box("txtState"), "FRANCE");
    harness.Click("Command8");

    auto* addressWindow = harness.window->findChild<QDialog*>(QStringLiteral("FRmChCoord"));
    QVERIFY(addressWindow);
    QVERIFY(!addressWindow->isVisible());
    const auto box = [addressWindow](const char* name) {
        return addressWindow->findChild<QLineEdit*>(QString::fromLatin1(name));
    };
    for (const char* name : {"Street", "Zip", "City", "State"})
        QVERIFY2(box(name), name);
    QCOMPARE(box("Street")->text(), QStringLiteral("1 rue X"));
    QCOMPARE(box("Zip")->text(), QStringLiteral("75001"));
    QCOMPARE(box("City")->text(), QStringLiteral("Paris"));
    QCOMPARE(box("State")->text(), QStringLiteral("FRANCE"));

    // Empty boxes are copied too, into the same window.
    for (const char* name : {"txtStreet", "txtZipCode", "txtCity", "txtState"})
        harness.Box(name)->clear();
    harness.Click("Command8");
    QCOMPARE(harness.window->findChildren<QDialog*>(QStringLiteral("FRmChCoord")).size(), 1);
    for (const char* name : {"Street", "Zip", "City", "State"})
        QVERIFY2(box(name)->text().isEmpty(), name);
}

void frmMapTest::copyAddressThenShow() {
    Harness harness;
    harness.window->show();
    Type(harness.Box("txtStreet"), "Rue de la cité");
    harness.Click("Command8");
    QVERIFY(harness.window->findChild<QLineEdit*>(QStringLiteral("Street")));

    ModalCloser closer;
    closer.Arm();
    harness.Click("Command6");
    QCOMPARE(closer.name, QStringLiteral("FRmChCoord"));
    QCOMPARE(closer.streetShown, QStringLiteral("Rue de la cité"));
}

void frmMapTest::copyLatitudeThenLongitude() {
    Harness harness;
    Type(harness.Box("txtLat"), "48.8584");
    Type(harness.Box("txtLong"), "2.2945");
    harness.Click("Command9");
    auto* conversion = harness.window->findChild<QDialog*>(QStringLiteral("FRM_Conv"));
    QVERIFY(conversion);
    auto* decimal = conversion->findChild<QLineEdit*>(QStringLiteral("Txt_DEC"));
    QVERIFY(decimal);
    QCOMPARE(decimal->text(), QStringLiteral("48.8584"));

    harness.Click("Command10");
    QCOMPARE(harness.window->findChild<QDialog*>(QStringLiteral("FRM_Conv")), conversion);
    QCOMPARE(decimal->text(), QStringLiteral("2.2945"));
    QVERIFY(!conversion->isVisible());
}

void frmMapTest::quitEndsProgramWithHiddenWindows() {
    Harness harness;
    harness.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(harness.window.get()));
    Type(harness.Box("txtLat"), "48.8584");
    harness.Click("Command9");
    harness.Click("Command8");

    QTimer::singleShot(0, harness.window.get(), [&harness] { harness.Click("Command5"); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!harness.window->isVisible());
}

void frmMapTest::closingByTitleBarEndsProgram() {
    Harness harness;
    harness.window->show();
    // Another visible window: closing the main one must end the program all the same.
    QWidget other;
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(harness.window.get()));

    QTimer::singleShot(0, harness.window.get(), [&harness] { harness.window->close(); });
    QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

QTEST_MAIN(frmMapTest)
#include "frmMapTest.moc"
