#include "core/GenericAsc.h"
#include "tests/support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using tarnel::testing::ChildOutcome;

namespace {

const ExportedPoint kWorkedExample{u"2.3522000000"_qs, u"48.856614000"_qs, u"Rue de la cité"_qs,
                                   u"75004"_qs,        u"PARIS"_qs,        u"FRANCE"_qs};

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class GenericAscTest : public QObject {
    Q_OBJECT

private slots:
    void fileBytes_data();
    void fileBytes();
    void writeCreatesAndTruncates();
    void unwritableTarget_data();
    void unwritableTarget();
    void readOnlyFile();
    void deviceWithoutSpace();
    void failedExportKeepsThePreviousFile_data();
    void failedExportKeepsThePreviousFile();
};

void GenericAscTest::fileBytes_data() {
    QTest::addColumn<ExportedPoint>("point");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("worked example, 64 bytes")
        << kWorkedExample
        << QByteArray("2.3522000000,48.856614000, \"Rue de la cit\xE9"
                      " 75004 PARIS FRANCE\"\r\n");
    QTest::newRow("all empty, 10 bytes") << ExportedPoint{} << QByteArray(",, \"   \"\r\n");
    QTest::newRow("typed coordinates")
        << ExportedPoint{u"-1.5"_qs, u"47.2"_qs, u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}
        << QByteArray("-1.5,47.2, \"a b c d\"\r\n");
    QTest::newRow("quote in the address written unchanged")
        << ExportedPoint{u"1"_qs, u"2"_qs, u"le \"Bon\" coin"_qs, u""_qs, u"X"_qs, u"Y"_qs}
        << QByteArray("1,2, \"le \"Bon\" coin  X Y\"\r\n");
    QTest::newRow("nothing trimmed")
        << ExportedPoint{u" 1 "_qs, u" 2 "_qs, u" s "_qs, u" z "_qs, u" c "_qs, u" p "_qs}
        << QByteArray(" 1 , 2 , \" s   z   c   p \"\r\n");
}

void GenericAscTest::fileBytes() {
    QFETCH(ExportedPoint, point);
    QFETCH(QByteArray, bytes);
    QCOMPARE(GenericAscFileBytes(point), bytes);
    QCOMPARE(GenericAscLine(point) + u"\r\n"_qs, QString::fromLatin1(bytes));
}

void GenericAscTest::writeCreatesAndTruncates() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Generic.asc"_qs);
    QVERIFY(WriteGenericAscFile(path, kWorkedExample));
    QCOMPARE(ReadFile(path).size(), 64);
    QVERIFY(WriteGenericAscFile(path, ExportedPoint{}));
    QCOMPARE(ReadFile(path), QByteArray(",, \"   \"\r\n"));
}

void GenericAscTest::unwritableTarget_data() {
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("missing folder") << "missing/Generic.asc";
    QTest::newRow("a folder holds the name") << "folder.asc";
}

void GenericAscTest::unwritableTarget() {
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"folder.asc"_qs));
    QVERIFY(!WriteGenericAscFile(dir.filePath(relativePath), kWorkedExample));
    QVERIFY(!QFileInfo::exists(dir.filePath(u"missing"_qs)));
}

void GenericAscTest::readOnlyFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"Generic.asc"_qs);
    QVERIFY(WriteGenericAscFile(path, ExportedPoint{}));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    QFile probe(path);
    if (probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
        QSKIP("this user may write read-only files");
    }
    QVERIFY(!WriteGenericAscFile(path, kWorkedExample));
    QCOMPARE(ReadFile(path), QByteArray(",, \"   \"\r\n"));
}

void GenericAscTest::deviceWithoutSpace() {
    const QString full = u"/dev/full"_qs;
    if (!QFileInfo::exists(full)) {
        QSKIP("no device that always reports a full disk");
    }
    QVERIFY(!WriteGenericAscFile(full, kWorkedExample));
    // A special file is never replaced by a regular one.
    QVERIFY(!QFileInfo(full).isFile());
    QVERIFY(QFileInfo::exists(full));
}

void GenericAscTest::failedExportKeepsThePreviousFile_data() {
    QTest::addColumn<bool>("tinyTmpfs");
    QTest::addColumn<int>("sizeLimit"); // -1: none
    QTest::addColumn<int>("streetLength");
    QTest::newRow("no byte may be written") << false << 0 << 10;
    QTest::newRow("half the line fits") << false << 30 << 10;
    QTest::newRow("full 16 KiB tmpfs, long street") << true << -1 << 40000;
}

void GenericAscTest::failedExportKeepsThePreviousFile() {
    QFETCH(bool, tinyTmpfs);
    QFETCH(int, sizeLimit);
    QFETCH(int, streetLength);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path();
    const QString path = dir.filePath(u"Generic.asc"_qs);
    const ChildOutcome outcome = testing::RunInChild([&] {
        if (tinyTmpfs) {
            testing::MountTinyTmpfs(QFile::encodeName(folder).constData(), 16 * 1024);
        }
        if (!WriteGenericAscFile(path, kWorkedExample)) {
            return false;
        }
        if (sizeLimit >= 0) {
            testing::LimitFileSize(static_cast<unsigned long>(sizeLimit));
        }
        ExportedPoint longer = kWorkedExample;
        longer.street = QString(streetLength, u'x');
        const bool written = WriteGenericAscFile(path, longer);
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        return !written && ReadFile(path) == GenericAscFileBytes(kWorkedExample) &&
               left == QStringList{u"Generic.asc"_qs};
    });
    if (outcome == ChildOutcome::NotAllowed) {
        QSKIP("this system does not allow the limit or the mount");
    }
    QCOMPARE(outcome, ChildOutcome::Held);
}

QTEST_GUILESS_MAIN(GenericAscTest)
#include "GenericAscTest.moc"
