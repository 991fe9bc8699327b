#include "ui/about/frmAbout.h"
#include "core/ProgramInfo.h"
#include "tests/support/CaptionFit.h"
#include "tests/support/FakePlatform.h"
#include "ui/common/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kNotFound = QStringLiteral("Information Systeme introuvable !");
const QString kProgramDirectory = QStringLiteral("/opt/tarnel");

struct Program {
    ProgramTexts texts;
    FakePlatform platform;
    WindowContext context{texts, kProgramDirectory, QString(), platform.services};
};

// One about window, created as the main window creates it, deleted with the test if still open.
class Window {
public:
    explicit Window(Program& program)
        : window_(new frmAbout(program.context, nullptr)) {}
    ~Window() { delete window_.data(); }

    frmAbout* operator->() const { return window_.data(); }
    frmAbout* get() const { return window_.data(); }
    bool Closed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return window_.isNull();
    }
    bool ShowActive() {
        window_->show();
        window_->activateWindow();
        return QTest::qWaitForWindowActive(window_.data());
    }
    template <typename Control> Control* Find(const QString& name) const {
        auto* control = window_->findChild<Control*>(name);
        if (!control)
            qFatal("no control %s", qPrintable(name));
        return control;
    }

private:
    QPointer<frmAbout> window_;
};

QByteArray Bytes(std::initializer_list<unsigned char> bytes) {
    QByteArray data;
    for (unsigned char byte : bytes)
        data.append(static_cast<char>(byte));
    return data;
}

QString Path31() {
    const QString path = QStringLiteral("C:\\Program Files\\Tools\\info.exe");
    Q_ASSERT(path.size() == 31);
    return path;
}

} // namespace

class frmAboutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutes(); }

    void getKeyValue_data();
    void getKeyValue();
    void getKeyValue_emptyData();
    void startSysInfo_data();
    void startSysInfo();
    void loadTwice();
    void details();
    void keys_data();
    void keys();
    void tabOrder();
    void links_data();
    void links();
    void tooltips_data();
    void tooltips();
    void background();
    void captionsFit();
};

void frmAboutTest::getKeyValue_data() {
    QTest::addColumn<QString>("keyName");
    QTest::addColumn<QString>("valueName");
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("passed");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("expected");

    const QByteArray path = Path31().toLatin1();
    const QByteArray fills1023 = QByteArray(1023, 'a');
    QTest::newRow("string with its terminator")
        << kToolKey << "PATH" << 1u << path + '\0' << "" << true << Path31();
    QTest::newRow("string without terminator")
        << kToolKey << "PATH" << 1u << path << "" << true << Path31();
    QTest::newRow("only the last zero is dropped")
        << kToolKey << "PATH" << 1u << QByteArray("ab\0\0", 4) << "" << true
        << QStringLiteral("ab") + QChar(0);
    QTest::newRow("windows-1252 text")
        << kToolKey << "PATH" << 1u << QByteArray("C:\\Syst\xe8me\\\x80.exe\0", 17) << "" << true
        << QStringLiteral("C:\\Système\\€.exe");
    QTest::newRow("1024 bytes with terminator") << kToolKey << "PATH" << 1u << fills1023 + '\0'
                                                << "" << true << QString::fromLatin1(fills1023);
    QTest::newRow("1025 bytes") << kToolKey << "PATH" << 1u << fills1023 + "b" + '\0' << "kept"
                                << false << "";
    QTest::newRow("missing key") << kFolderKey << "PATH" << 1u << path << "kept" << false << "";
    QTest::newRow("missing value") << kToolKey << "Path2" << 1u << path << "kept" << false << "";
    QTest::newRow("expandable string keeps what was passed")
        << kToolKey << "PATH" << 2u << path + '\0' << "kept" << true << "kept";
    QTest::newRow("expandable string into empty text")
        << kToolKey << "PATH" << 2u << path + '\0' << "" << true << "";
    QTest::newRow("number 261") << kToolKey << "PATH" << 4u << Bytes({0x05, 0x01, 0x00, 0x00}) << ""
                                << true << "&h015";
    QTest::newRow("number with a high byte")
        << kToolKey << "PATH" << 4u << Bytes({0x78, 0x56, 0x34, 0x12}) << "" << true
        << "&h12345678";
    QTest::newRow("number codes are bytes, not characters")
        << kToolKey << "PATH" << 4u << Bytes({0x80, 0xFF, 0x0A, 0x01}) << "" << true << "&h1AFF80";
}

void frmAboutTest::getKeyValue() {
    QFETCH(QString, keyName);
    QFETCH(QString, valueName);
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(QString, passed);
    QFETCH(bool, found);
    QFETCH(QString, expected);

    Program program;
    program.platform.registry.SetValue(kToolKey, QStringLiteral("PATH"), type, data);
    Window window(program);
    QString keyVal = passed;
    QCOMPARE(window->GetKeyValue(Registry::kLocalMachine, keyName, valueName, keyVal), found);
    QCOMPARE(keyVal, expected);
    QCOMPARE(program.platform.registry.openKeys, 0);
}

void frmAboutTest::getKeyValue_emptyData() {
    Program program;
    program.platform.registry.SetValue(kToolKey, QStringLiteral("PATH"), 1, {});
    Window window(program);
    QString keyVal;
    QVERIFY_THROWS_EXCEPTION(
        EmptyRegistryValue,
        window->GetKeyValue(Registry::kLocalMachine, kToolKey, QStringLiteral("PATH"), keyVal));
    QCOMPARE(program.platform.registry.openKeys, 0);
}

void frmAboutTest::startSysInfo_data() {
    // "<dir>" in a value or a path stands for a temporary folder; "<sep>" for the separator
    // the launcher joins the folder and the file name with.
    QTest::addColumn<uint>("pathType");
    QTest::addColumn<QByteArray>("pathValue"); // no "PATH" value when null
    QTest::addColumn<QString>("folderValue");  // no folder key when null
    QTest::addColumn<bool>("toolInFolder");
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QStringList>("started");
    QTest::addColumn<bool>("message");

    const QByteArray absent = "C:\\Nowhere\\msinfo32.exe";
    const QString inFolder = QStringLiteral("<dir><sep>MSINFO32.EXE");
    QTest::newRow("path value started without asking for the file")
        << 1u << absent + '\0' << "<dir>" << true << true
        << QStringList{QString::fromLatin1(absent)} << false;
    QTest::newRow("folder holding the tool")
        << 1u << QByteArray() << "<dir>" << true << true << QStringList{inFolder} << false;
    QTest::newRow("folder without the tool")
        << 1u << QByteArray() << "<dir>" << false << true << QStringList{} << true;
    QTest::newRow("empty folder value")
        << 1u << QByteArray() << "" << false << true << QStringList{} << true;
    QTest::newRow("no keys") << 1u << QByteArray() << QString() << false << true << QStringList{}
                             << true;
    QTest::newRow("start fails") << 1u << absent + '\0' << QString() << false << false
                                 << QStringList{QString::fromLatin1(absent)} << true;
    QTest::newRow("path of another type stays empty")
        << 2u << absent + '\0' << "<dir>" << true << true << QStringList{} << true;
    QTest::newRow("path value without data")
        << 1u << QByteArray("") << "<dir>" << true << true << QStringList{} << true;
}

void frmAboutTest::startSysInfo() {
    QFETCH(uint, pathType);
    QFETCH(QByteArray, pathValue);
    QFETCH(QString, folderValue);
    QFETCH(bool, toolInFolder);
    QFETCH(bool, startSucceeds);
    QFETCH(QStringList, started);
    QFETCH(bool, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto resolve = [&dir](QString text) {
        return text.replace(QStringLiteral("<dir>"), dir.path())
            .replace(QStringLiteral("<sep>"), QDir::separator());
    };
    if (toolInFolder) {
        QFile tool(dir.filePath(QStringLiteral("MSINFO32.EXE")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
    }
    Program program;
    InMemoryRegistry& registry = program.platform.registry;
    if (!pathValue.isNull())
        registry.SetValue(kToolKey, QStringLiteral("PATH"), pathType, pathValue);
    if (!folderValue.isNull())
        registry.SetValue(kFolderKey, QStringLiteral("MSINFO"), 1,
                          resolve(folderValue).toLatin1() + '\0');
    program.platform.programs.succeeds = startSucceeds;

    Window window(program);
    window->StartSysInfo();

    QStringList expectedStarts;
    for (const QString& path : started)
        expectedStarts.append(resolve(path));
    QCOMPARE(program.platform.programs.started, expectedStarts);
    QCOMPARE(registry.openKeys, 0);
    if (!message) {
        QVERIFY(program.platform.messages.shown.isEmpty());
        return;
    }
    QCOMPARE(program.platform.messages.shown.size(), 1);
    const ShownMessage& shown = program.platform.messages.shown.first();
    QCOMPARE(shown.text, kNotFound);
    QCOMPARE(shown.title, QStringLiteral("Tarnel"));
    QCOMPARE(shown.icon, MessageIcon::None);
}

void frmAboutTest::loadTwice() {
    Program program;
    for (int opening = 1; opening <= 2; ++opening) {
        Window window(program);
        QVERIFY(window.ShowActive());
        QCOMPARE(window->windowTitle(), QStringLiteral("A propos Tarnel"));
        QCOMPARE(window.Find<QLabel>(QStringLiteral("lblVersion"))->text(),
                 "Version " + kVersionText);
        QCOMPARE(window.Find<QLabel>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Tarnel"));
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(window.Closed());
    }
}

void frmAboutTest::details() {
    Program program;
    Window window(program);
    QTest::mouseClick(window.Find<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(program.platform.messages.shown.size(), 1);
    const ShownMessage& shown = program.platform.messages.shown.first();
    QCOMPARE(
        shown.text,
        "Tarnel version " + kVersionText +
            "\r\rAuteur : Atelier Tarnel - décembre 2026\rE-Mail : contact@tarnel.example\rUrl : "
            "https://tarnel.example\r");
    QCOMPARE(shown.title, QStringLiteral("A propos"));
    QCOMPARE(shown.icon, MessageIcon::Information);
    QVERIFY(!window.Closed());
}

void frmAboutTest::keys_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("message"); // the message the key brings up, if any

    const QString none;
    const QString details = QStringLiteral("A propos");
    const QString notFound = QStringLiteral("Tarnel");
    const int alt = Qt::AltModifier;
    for (const char* focus : {"cmdOK", "cmdSysInfo", "Command1"})
        QTest::addRow("Esc on %s", focus) << focus << int(Qt::Key_Escape) << 0 << true << none;
    QTest::newRow("Enter on OK") << "cmdOK" << int(Qt::Key_Return) << 0 << true << none;
    QTest::newRow("Enter on system info")
        << "cmdSysInfo" << int(Qt::Key_Return) << 0 << false << notFound;
    QTest::newRow("keypad Enter on system info")
        << "cmdSysInfo" << int(Qt::Key_Enter) << 0 << false << notFound;
    QTest::newRow("Enter on details") << "Command1" << int(Qt::Key_Return) << 0 << false << details;
    QTest::newRow("Alt+S from OK") << "cmdOK" << int(Qt::Key_S) << alt << false << notFound;
}

void frmAboutTest::keys() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, closes);
    QFETCH(QString, message);

    Program program;
    Window window(program);
    QVERIFY(window.ShowActive());
    auto* focused = window.Find<QPushButton>(focus);
    focused->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), focused);
    QTest::keyClick(focused, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    // An access key presses its button the way a click does, a moment later.
    const auto titles = [&program] {
        QStringList titles;
        for (const ShownMessage& shown : program.platform.messages.shown)
            titles.append(shown.title);
        return titles;
    };
    QTRY_COMPARE(titles(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(window.Closed(), closes);
}

void frmAboutTest::tabOrder() {
    Program program;
    Window window(program);
    QVERIFY(window.ShowActive());
    QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdOK"));
    QStringList visited;
    for (int press = 0; press < 6; ++press) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(visited,
             (QStringList{"cmdSysInfo", "lblDisclaimer", "Label3", "Image2", "Command1", "cmdOK"}));
}

void frmAboutTest::links_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("keyboard"); // reached with Tab, then Enter and Space; else clicked

    const QList<std::pair<QString, QString>> links = {
        {"lblDisclaimer", "mailto:contact@tarnel.example"},
        {"Label3", "https://tarnel.example"},
        {"Image2", "https://tarnel.example/Don/Don.htm"}};
    for (const bool keyboard : {false, true}) {
        for (const auto& [control, target] : links) {
            QTest::addRow("%s, %s", qPrintable(control), keyboard ? "keyboard" : "mouse")
                << control << target << keyboard;
        }
    }
}

void frmAboutTest::links() {
    QFETCH(QString, control);
    QFETCH(QString, target);
    QFETCH(bool, keyboard);

    Program program;
    Window window(program);
    QVERIFY(window.ShowActive());
    if (keyboard) {
        // Enter on a link follows it, not the default button that closes the window.
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
            while (QApplication::focusWidget()->objectName() != control)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), key);
        }
    } else {
        auto* label = window.Find<QLabel>(control);
        // Through the window, as the desktop delivers a click: the label itself ignores the
        // press.
        const QPoint centre = label->mapTo(window.get(), label->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, centre);
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, centre);
    }

    const QList<OpenedTarget>& opened = program.platform.shell.opened;
    // The click opens the link, the double click once more; or Enter, then Space.
    QCOMPARE(opened.size(), 2);
    for (const OpenedTarget& open : opened) {
        QCOMPARE(open.target, target);
        QCOMPARE(open.workingDirectory, kProgramDirectory);
    }
    QVERIFY(!window.Closed());
}

void frmAboutTest::tooltips_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("tooltip");

    QTest::newRow("lblDisclaimer") << "lblDisclaimer"
                                   << "Envoyer un courriel";
    QTest::newRow("Label3") << "Label3"
                            << "Visitez le site officiel Atelier Tarnel";
    QTest::newRow("Image2") << "Image2"
                            << "Faire un don avec PayPal - Un solution gratuite, rapide et "
                               "sécurisée.";
    QTest::newRow("cmdSysInfo") << "cmdSysInfo"
                                << "Informations système";
}

void frmAboutTest::tooltips() {
    QFETCH(QString, control);
    QFETCH(QString, tooltip);

    Program program;
    Window window(program);
    QCOMPARE(window.Find<QWidget>(control)->toolTip(), tooltip);
}

// The window is black, with the white and grey separator lines across it under the mail label.
void frmAboutTest::background() {
    Program program;
    Window window(program);
    QVERIFY(window.ShowActive());
    const QImage image = window->grab().toImage();
    const TwipScale scale = window->Scale();
    const int x = scale.Pixels(3000);
    QCOMPARE(image.pixelColor(scale.Pixels(60), scale.Pixels(60)), QColor(Qt::black));
    QCOMPARE(image.pixelColor(x, scale.Pixels(1200) - 1), QColor(255, 255, 255));
    QCOMPARE(image.pixelColor(x, scale.Pixels(1217)), QColor(128, 128, 128));
    QCOMPARE(image.pixelColor(x, scale.Pixels(1217) + 2), QColor(Qt::black));
    QCOMPARE(image.pixelColor(scale.Pixels(5640), scale.Pixels(1200) - 1), QColor(Qt::black));
}

void frmAboutTest::captionsFit() {
    Program program;
    Window window(program);
    QVERIFY(window.ShowActive());
    const QStringList misfits = CaptionsThatDoNotFit(window.get());
    QVERIFY2(misfits.isEmpty(), qPrintable(misfits.join(QStringLiteral(" | "))));
}

QTEST_MAIN(frmAboutTest)
#include "frmAboutTest.moc"
