#include "platform/registry/SystemRegistry.h"
#include "tests/support/FakePlatform.h"
#include "ui/about/frmAbout.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
constexpr std::uint32_t kAccess = 0x2003F;

// A folder on the search path holding the named files, executable or not.
class SearchPath {
public:
    SearchPath() { savedPath_ = qgetenv("PATH"); }
    ~SearchPath() { qputenv("PATH", savedPath_); }

    bool Add(const QString& name, bool executable) {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\nexit 0\n") < 0)
            return false;
        file.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        return file.setPermissions(permissions);
    }
    void Use() { qputenv("PATH", QFile::encodeName(dir_.path())); }
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QByteArray savedPath_;
};

} // namespace

class SystemRegistryTest : public QObject {
    Q_OBJECT
private slots:
    void toolPath_data();
    void toolPath();
    void emptySearchPath();
    void otherKeys_data();
    void otherKeys();
    void shortBuffer();
    void launcher_data();
    void launcher();
};

void SystemRegistryTest::toolPath_data() {
    QTest::addColumn<QStringList>("executables");
    QTest::addColumn<QStringList>("plainFiles");
    QTest::addColumn<QString>("expected"); // empty: no value

    QTest::newRow("hardinfo") << QStringList{"hardinfo"} << QStringList{} << "hardinfo";
    QTest::newRow("hardinfo before the others")
        << QStringList{"gnome-system-monitor", "kinfocenter", "hardinfo"} << QStringList{}
        << "hardinfo";
    QTest::newRow("kinfocenter before gnome-system-monitor")
        << QStringList{"gnome-system-monitor", "kinfocenter"} << QStringList{} << "kinfocenter";
    QTest::newRow("gnome-system-monitor")
        << QStringList{"gnome-system-monitor"} << QStringList{} << "gnome-system-monitor";
    QTest::newRow("not executable")
        << QStringList{"kinfocenter"} << QStringList{"hardinfo"} << "kinfocenter";
    QTest::newRow("none") << QStringList{"msinfo32"} << QStringList{"hardinfo"} << "";
}

void SystemRegistryTest::toolPath() {
    QFETCH(QStringList, executables);
    QFETCH(QStringList, plainFiles);
    QFETCH(QString, expected);

    SearchPath searchPath;
    for (const QString& name : executables)
        QVERIFY(searchPath.Add(name, true));
    for (const QString& name : plainFiles)
        QVERIFY(searchPath.Add(name, false));
    searchPath.Use();

    const std::unique_ptr<Registry> registry = MakeSystemRegistry();
    const std::optional<Registry::Key> key =
        registry->OpenKey(Registry::kLocalMachine, kToolKey, kAccess);
    QVERIFY(key);
    const Registry::QueryResult result = registry->QueryValue(*key, QStringLiteral("PATH"), 1024);
    registry->CloseKey(*key);
    if (expected.isEmpty()) {
        QCOMPARE(result.status, Registry::QueryStatus::Missing);
        return;
    }
    QCOMPARE(result.status, Registry::QueryStatus::Ok);
    QCOMPARE(result.type, Registry::kTypeString);
    QCOMPARE(result.data, QFile::encodeName(searchPath.PathOf(expected)) + '\0');
}

void SystemRegistryTest::emptySearchPath() {
    SearchPath searchPath;
    qputenv("PATH", "");
    const std::unique_ptr<Registry> registry = MakeSystemRegistry();
    const std::optional<Registry::Key> key =
        registry->OpenKey(Registry::kLocalMachine, kToolKey, kAccess);
    QVERIFY(key);
    QCOMPARE(registry->QueryValue(*key, QStringLiteral("PATH"), 1024).status,
             Registry::QueryStatus::Missing);
    registry->CloseKey(*key);
}

void SystemRegistryTest::otherKeys_data() {
    QTest::addColumn<uint>("root");
    QTest::addColumn<QString>("keyName");
    QTest::addColumn<bool>("opens");

    QTest::newRow("tool key") << uint(Registry::kLocalMachine) << kToolKey << true;
    QTest::newRow("names ignore case")
        << uint(Registry::kLocalMachine) << kToolKey.toLower() << true;
    QTest::newRow("folder key") << uint(Registry::kLocalMachine) << kFolderKey << false;
    QTest::newRow("current user") << 0x80000001u << kToolKey << false;
    QTest::newRow("below the tool key")
        << uint(Registry::kLocalMachine) << kToolKey + QStringLiteral("\\PATH") << false;
}

void SystemRegistryTest::otherKeys() {
    QFETCH(uint, root);
    QFETCH(QString, keyName);
    QFETCH(bool, opens);

    const std::unique_ptr<Registry> registry = MakeSystemRegistry();
    const std::optional<Registry::Key> key = registry->OpenKey(root, keyName, kAccess);
    QCOMPARE(key.has_value(), opens);
    if (key)
        registry->CloseKey(*key);
}

void SystemRegistryTest::shortBuffer() {
    SearchPath searchPath;
    QVERIFY(searchPath.Add(QStringLiteral("hardinfo"), true));
    searchPath.Use();
    const qsizetype stored =
        QFile::encodeName(searchPath.PathOf(QStringLiteral("hardinfo"))).size() + 1;

    const std::unique_ptr<Registry> registry = MakeSystemRegistry();
    const Registry::Key key = *registry->OpenKey(Registry::kLocalMachine, kToolKey, kAccess);
    QCOMPARE(registry->QueryValue(key, QStringLiteral("PATH"), int(stored) - 1).status,
             Registry::QueryStatus::MoreData);
    QCOMPARE(registry->QueryValue(key, QStringLiteral("PATH"), int(stored)).status,
             Registry::QueryStatus::Ok);
    registry->CloseKey(key);
}

// "Système Info..." over this system's registry: the tool on the search path is started, and
// without one the user is told.
void SystemRegistryTest::launcher_data() {
    QTest::addColumn<bool>("toolInstalled");
    QTest::newRow("tool installed") << true;
    QTest::newRow("no tool") << false;
}

void SystemRegistryTest::launcher() {
    QFETCH(bool, toolInstalled);

    SearchPath searchPath;
    if (toolInstalled)
        QVERIFY(searchPath.Add(QStringLiteral("kinfocenter"), true));
    searchPath.Use();

    const std::unique_ptr<Registry> registry = MakeSystemRegistry();
    FakePlatform fakes;
    PlatformServices services{fakes.messages, fakes.saveDialog, fakes.shell,
                              *registry,      fakes.programs,   fakes.feedback};
    ProgramTexts texts;
    WindowContext context{texts, QString(), QString(), services};
    frmAbout window(context, nullptr);
    window.StartSysInfo();

    if (toolInstalled) {
        QCOMPARE(fakes.programs.started,
                 QStringList{searchPath.PathOf(QStringLiteral("kinfocenter"))});
        QVERIFY(fakes.messages.shown.isEmpty());
    } else {
        QVERIFY(fakes.programs.started.isEmpty());
        QCOMPARE(fakes.messages.shown.size(), 1);
        QCOMPARE(fakes.messages.shown.first().text,
                 QStringLiteral("Information Systeme introuvable !"));
    }
}

QTEST_MAIN(SystemRegistryTest)
#include "SystemRegistryTest.moc"
