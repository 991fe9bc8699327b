#include "core/LastPositionStore.h"
#include "core/LastPositionFile.h"
#include "tests/support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using tarnel::testing::ChildOutcome;

namespace {

const QByteArray kPrevious("\"previous\"\r\n");

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class LastPositionStoreTest : public QObject {
    Q_OBJECT

private slots:
    void place_data();
    void place();
    void readOnlyProgramFolder();
    void neitherWritable();
    void noDataFolderKnown();
};

void LastPositionStoreTest::place_data() {
    QTest::addColumn<bool>("fileInProgramFolder"); // a file from an earlier run
    QTest::addColumn<bool>("folderInTheFilesPlace");
    QTest::addColumn<bool>("keptInProgramFolder");
    QTest::newRow("portable, first run") << false << false << true;
    QTest::newRow("portable, file of an earlier run") << true << false << true;
    QTest::newRow("a folder holds the name") << false << true << false;
}

void LastPositionStoreTest::place() {
    QFETCH(bool, fileInProgramFolder);
    QFETCH(bool, folderInTheFilesPlace);
    QFETCH(bool, keptInProgramFolder);
    QTemporaryDir program;
    QTemporaryDir home;
    QVERIFY(program.isValid() && home.isValid());
    const QString data = home.filePath(u"share/Tarnel"_qs);
    const QString programFile = program.filePath(kLastPositionFileName);
    if (fileInProgramFolder) {
        QVERIFY(WriteFile(programFile, kPrevious));
    }
    if (folderInTheFilesPlace) {
        QVERIFY(QDir().mkpath(programFile));
    }

    LastPositionStore store(program.path(), data);
    const QString expected = keptInProgramFolder ? program.path() : data;
    QCOMPARE(store.Directory(), expected);
    ProgramTexts texts;
    QCOMPARE(store.Load(texts), fileInProgramFolder ? u"previous"_qs : QString());

    QVERIFY(store.Save(texts, u"48.8584,2.2945"_qs));
    QCOMPARE(ReadFile(QDir(expected).filePath(kLastPositionFileName)),
             QByteArray("\"48.8584,2.2945\"\r\n"));
    // The data folder is made only when it is the place.
    QCOMPARE(QFileInfo::exists(data), !keptInProgramFolder);

    ProgramTexts nextRun;
    QCOMPARE(LastPositionStore(program.path(), data).Load(nextRun), u"48.8584,2.2945"_qs);
}

void LastPositionStoreTest::readOnlyProgramFolder() {
    QTemporaryDir program;
    QTemporaryDir home;
    QVERIFY(program.isValid() && home.isValid());
    const QString programFolder = program.path();
    const QString data = home.filePath(u"share/Tarnel"_qs);
    // A read-only mount stands for a system-wide install: read-only even for an administrator.
    const ChildOutcome outcome = testing::RunInChild([&] {
        const QByteArray folder = QFile::encodeName(programFolder);
        testing::MountTinyTmpfs(folder.constData(), 16 * 1024);
        if (!WriteFile(QDir(programFolder).filePath(kLastPositionFileName), kPrevious)) {
            return false;
        }
        testing::RemountReadOnly(folder.constData());

        LastPositionStore store(programFolder, data);
        ProgramTexts texts;
        const bool firstRun = store.Directory() == data && store.Load(texts).isEmpty();
        const bool saved = store.Save(texts, u"1 rue X,+Paris,+75001"_qs);
        ProgramTexts nextRun;
        const QString readBack = LastPositionStore(programFolder, data).Load(nextRun);
        return firstRun && saved && readBack == u"1 rue X,+Paris,+75001"_qs &&
               ReadFile(QDir(programFolder).filePath(kLastPositionFileName)) == kPrevious;
    });
    if (outcome == ChildOutcome::NotAllowed) {
        QSKIP("this system does not allow a read-only mount");
    }
    QCOMPARE(outcome, ChildOutcome::Held);
}

void LastPositionStoreTest::neitherWritable() {
    QTemporaryDir program;
    QTemporaryDir home;
    QVERIFY(program.isValid() && home.isValid());
    QVERIFY(QDir().mkpath(program.filePath(kLastPositionFileName)));
    // A file where the data folder's parent should be: the folder cannot be made.
    QVERIFY(WriteFile(home.filePath(u"share"_qs), "x"));
    const QString data = home.filePath(u"share/Tarnel"_qs);
    LastPositionStore store(program.path(), data);
    ProgramTexts texts;
    QVERIFY(!store.Save(texts, u"1,2"_qs));
    QCOMPARE(texts.lastPosition, u"1,2"_qs);
    QCOMPARE(store.Directory(), data);
}

void LastPositionStoreTest::noDataFolderKnown() {
    QTemporaryDir program;
    QVERIFY(program.isValid());
    QVERIFY(QDir().mkpath(program.filePath(kLastPositionFileName)));
    LastPositionStore store(program.path(), QString());
    ProgramTexts texts;
    QVERIFY(!store.Save(texts, u"1,2"_qs));
    QCOMPARE(store.Load(texts), QString());
    // Never the working folder instead.
    QVERIFY(!QFileInfo::exists(QDir::current().filePath(kLastPositionFileName)));
}

QTEST_GUILESS_MAIN(LastPositionStoreTest)
#include "LastPositionStoreTest.moc"
