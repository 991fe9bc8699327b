// Runs the built program as a person would: on a virtual X screen, typing into the main window
// through its tab order, against the stand-in map service the program was built for.

#include "XdoTool.h"
#include "core/ProgramInfo.h"
#include "tests/support/standin/StandinMapService.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;
using namespace tarnel::testing;

namespace {

const QString kProgram = QStringLiteral(TARNEL_E2E_PROGRAM);
const QString kWindowTitle =
    "Tarnel - v " + tarnel::kVersionText + " - Utilitaire coordonnées GPS ";

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void searchesAreShownAndRemembered();
    void cleanupTestCase();

private:
    void StartProgram();
    bool Received(const QByteArray& rawQuery) const;
    void FocusMainWindow();
    void QuitWithAccessKey();

    tarnel::testing::StandinMapService standin_;
    QTemporaryDir programDir_;
    QProcess program_;
};

void EndToEndTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (run under xvfb-run)");
    QVERIFY2(QFile::exists(kProgram), qPrintable(kProgram));
    QVERIFY(standin_.Start(TARNEL_E2E_PORT));
    QVERIFY(programDir_.isValid());
    // The program keeps its last position next to itself: run a copy in a folder of our own.
    const QString copy = programDir_.filePath(QStringLiteral("tarnel"));
    QVERIFY(QFile::copy(kProgram, copy));
    QVERIFY(QFile::setPermissions(copy, QFile::permissions(kProgram)));
}

void EndToEndTest::StartProgram() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
                       QStringLiteral("--disable-gpu --disable-background-networking"));
    program_.setProcessEnvironment(environment);
    program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program_.start(programDir_.filePath(QStringLiteral("tarnel")), {});
    QVERIFY(program_.waitForStarted());
}

bool EndToEndTest::Received(const QByteArray& rawQuery) const {
    const auto requests = standin_.Requests();
    return std::any_of(requests.begin(), requests.end(), [&](const auto& request) {
        return request.path == QLatin1String("/maps") && request.rawQuery == rawQuery;
    });
}

void EndToEndTest::FocusMainWindow() {
    const QString window = Xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                                    QStringLiteral("--name"), QStringLiteral("^Tarnel - v")});
    QVERIFY2(!window.isEmpty(), "the main window did not appear");
    const QString first = window.split(QLatin1Char('\n')).first();
    QCOMPARE(Xdotool({QStringLiteral("getwindowname"), first}), kWindowTitle);
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), first});
}

void EndToEndTest::QuitWithAccessKey() {
    QVERIFY(Keys({QStringLiteral("alt+q")}));
    QVERIFY(program_.waitForFinished(30000));
    QCOMPARE(program_.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program_.exitCode(), 0);
}

void EndToEndTest::searchesAreShownAndRemembered() {
    const QString saved = programDir_.filePath(QStringLiteral("SavDerPos.ini"));

    // First start: no last position yet, the map opens on the bare query.
    StartProgram();
    QTRY_VERIFY_WITH_TIMEOUT(Received("q="), 90000);
    QVERIFY(!QFile::exists(saved));
    FocusMainWindow();
    if (QTest::currentTestFailed())
        return;

    // The focus starts in the street box; Tab walks street, town, postal code, country, search.
    QVERIFY(Type(QStringLiteral("1 rue X")));
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("Paris")));
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("750a01"))); // the letter is refused by the postal-code box
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("FRANCE")));
    QVERIFY(Keys({QStringLiteral("Tab"), QStringLiteral("space")}));
    QTRY_VERIFY_WITH_TIMEOUT(Received("q=1%20rue%20X,+Paris,+FRANCE,+75001"), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(FileBytes(saved), QByteArray("\"1 rue X,+Paris,+FRANCE,+75001\"\r\n"),
                              10000);

    // Then latitude, longitude and the search by coordinates.
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("48.8584")));
    QVERIFY(Keys({QStringLiteral("Tab")}));
    QVERIFY(Type(QStringLiteral("2.2945")));
    QVERIFY(Keys({QStringLiteral("Tab"), QStringLiteral("space")}));
    QTRY_VERIFY_WITH_TIMEOUT(Received("q=48.8584%2C2.2945"), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(FileBytes(saved), QByteArray("\"48.8584,2.2945\"\r\n"), 10000);

    QuitWithAccessKey();
    if (QTest::currentTestFailed())
        return;

    // Next start: the same place is asked for again, with the plain comma it was kept with.
    StartProgram();
    QTRY_VERIFY_WITH_TIMEOUT(Received("q=48.8584,2.2945"), 90000);
    FocusMainWindow();
    QuitWithAccessKey();
    QCOMPARE(FileBytes(saved), QByteArray("\"48.8584,2.2945\"\r\n"));
}

void EndToEndTest::cleanupTestCase() {
    if (program_.state() != QProcess::NotRunning) {
        program_.kill();
        program_.waitForFinished(10000);
    }
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
