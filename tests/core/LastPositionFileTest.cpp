#include "core/LastPositionFile.h"
#include "tests/support/ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using tarnel::testing::ChildOutcome;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class LastPositionFileTest : public QObject {
    Q_OBJECT

private slots:
    void fileBytes_data();
    void fileBytes();
    void saveWritesTheOneLine();
    void saveReplacesThePreviousValue();
    void saveFailure_data();
    void saveFailure();
    void failedSaveKeepsThePreviousFile_data();
    void failedSaveKeepsThePreviousFile();
    void readFirstField_data();
    void readFirstField();
    void unfinishedValueIsRefused_data();
    void unfinishedValueIsRefused();
    void roundTrip_data();
    void roundTrip();
    void loadWithoutFile();
    void loadEmptyFile();
    void loadRefusesAnUnfinishedValue();
    void fileExists_data();
    void fileExists();
};

void LastPositionFileTest::fileBytes_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("address, 33 bytes")
        << "1 rue X,+Paris,+FRANCE,+75001" << QByteArray("\"1 rue X,+Paris,+FRANCE,+75001\"\r\n");
    QTest::newRow("empty address") << ",+,+,+" << QByteArray("\",+,+,+\"\r\n");
    QTest::newRow("quotes written unchanged") << u"48°51'23\",2°17'40\""_qs
                                              << QByteArray("\"48\xB0"
                                                            "51'23\",2\xB0"
                                                            "17'40\"\"\r\n");
    QTest::newRow("accent as one byte") << u"cité"_qs << QByteArray("\"cit\xE9\"\r\n");
}

void LastPositionFileTest::fileBytes() {
    QFETCH(QString, value);
    QFETCH(QByteArray, bytes);
    QCOMPARE(LastPositionFileBytes(value), bytes);
}

void LastPositionFileTest::saveWritesTheOneLine() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ProgramTexts texts;
    QVERIFY(SaveLastPosition(texts, dir.path(), u"1 rue X,+Paris,+FRANCE,+75001"_qs));
    QCOMPARE(texts.lastPosition, u"1 rue X,+Paris,+FRANCE,+75001"_qs);
    const QByteArray bytes = ReadFile(dir.filePath(kLastPositionFileName));
    QCOMPARE(bytes.size(), 33);
    QCOMPARE(bytes, QByteArray("\"1 rue X,+Paris,+FRANCE,+75001\"\r\n"));
}

void LastPositionFileTest::saveReplacesThePreviousValue() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ProgramTexts texts;
    QVERIFY(SaveLastPosition(texts, dir.path(), u"1 rue X,+Paris,+FRANCE,+75001"_qs));
    QVERIFY(SaveLastPosition(texts, dir.path(), u"48.8584,2.2945"_qs));
    QCOMPARE(ReadFile(dir.filePath(kLastPositionFileName)), QByteArray("\"48.8584,2.2945\"\r\n"));
}

void LastPositionFileTest::saveFailure_data() {
    QTest::addColumn<bool>("missingDirectory");
    QTest::newRow("missing directory") << true;
    QTest::newRow("a folder holds the name") << false;
}

void LastPositionFileTest::saveFailure() {
    QFETCH(bool, missingDirectory);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString programDirectory = dir.path();
    if (missingDirectory) {
        programDirectory = dir.filePath(u"missing"_qs);
    } else {
        QVERIFY(QDir(dir.path()).mkdir(kLastPositionFileName));
    }
    ProgramTexts texts;
    QVERIFY(!SaveLastPosition(texts, programDirectory, u"48.8584,2.2945"_qs));
    // The value is remembered for this run even though the file could not hold it.
    QCOMPARE(texts.lastPosition, u"48.8584,2.2945"_qs);
}

void LastPositionFileTest::failedSaveKeepsThePreviousFile_data() {
    QTest::addColumn<bool>("tinyTmpfs");
    QTest::addColumn<int>("sizeLimit"); // -1: none
    QTest::addColumn<int>("valueLength");
    QTest::newRow("no byte may be written") << false << 0 << 40;
    QTest::newRow("half the line fits") << false << 24 << 40;
    QTest::newRow("full 16 KiB tmpfs, long value") << true << -1 << 40000;
}

void LastPositionFileTest::failedSaveKeepsThePreviousFile() {
    QFETCH(bool, tinyTmpfs);
    QFETCH(int, sizeLimit);
    QFETCH(int, valueLength);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path();
    const QByteArray previous("\"48.8584,2.2945\"\r\n");
    // Everything happens in the child: the limit and the mount must not reach this process.
    const ChildOutcome outcome = testing::RunInChild([&] {
        if (tinyTmpfs) {
            testing::MountTinyTmpfs(QFile::encodeName(folder).constData(), 16 * 1024);
        }
        ProgramTexts texts;
        if (!SaveLastPosition(texts, folder, u"48.8584,2.2945"_qs)) {
            return false;
        }
        if (sizeLimit >= 0) {
            testing::LimitFileSize(static_cast<unsigned long>(sizeLimit));
        }
        const bool saved = SaveLastPosition(texts, folder, QString(valueLength, u'x'));
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        return !saved && ReadFile(QDir(folder).filePath(kLastPositionFileName)) == previous &&
               left == QStringList{kLastPositionFileName};
    });
    if (outcome == ChildOutcome::NotAllowed) {
        QSKIP("this system does not allow the limit or the mount");
    }
    QCOMPARE(outcome, ChildOutcome::Held);
}

void LastPositionFileTest::readFirstField_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("value");
    QTest::newRow("quoted address keeps its commas")
        << QByteArray("\"1 rue X,+Paris,+FRANCE,+75001\"\r\n") << "1 rue X,+Paris,+FRANCE,+75001";
    QTest::newRow("quoted coordinates") << QByteArray("\"48.8584,2.2945\"\r\n") << "48.8584,2.2945";
    QTest::newRow("empty address") << QByteArray("\",+,+,+\"\r\n") << ",+,+,+";
    QTest::newRow("unquoted stops at the comma") << QByteArray("48.8584,2.2945\r\n") << "48.8584";
    QTest::newRow("inner quotes come back whole") << QByteArray("\"48\xB0"
                                                                "51'23\",2\xB0"
                                                                "17'40\"\"\r\n")
                                                  << u"48°51'23\",2°17'40\""_qs;
    QTest::newRow("two quotes") << QByteArray("\"\"\r\n") << "";
    QTest::newRow("blank line") << QByteArray("   \r\n") << "";
    QTest::newRow("empty line") << QByteArray("\r\n\"second\"\r\n") << "";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("leading blanks skipped") << QByteArray("  \"x,y\"\r\n") << "x,y";
    QTest::newRow("lone line feed") << QByteArray("\"a,b\"\nsecond\"\n") << "a,b";
    QTest::newRow("no line end") << QByteArray("\"a,b\"") << "a,b";
    QTest::newRow("unquoted without comma") << QByteArray("48.8584\r\n") << "48.8584";
    QTest::newRow("leading comma") << QByteArray(",abc\r\n") << "";
    QTest::newRow("text after the closing quote") << QByteArray("\"x\" tail\r\n") << "x";
    QTest::newRow("windows-1252 decoded") << QByteArray("\"cit\xE9 \x80\"\r\n") << u"cité €"_qs;
}

void LastPositionFileTest::readFirstField() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, value);
    QCOMPARE(ReadFirstField(bytes), std::optional<QString>(value));
}

void LastPositionFileTest::unfinishedValueIsRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("only the opening quote") << QByteArray("\"open,ended\r\n");
    QTest::newRow("cut short after the opening quote") << QByteArray("\"1 rue X,+Par");
    QTest::newRow("a lone quote") << QByteArray("\"\r\n");
    QTest::newRow("blanks, then an open quote") << QByteArray("  \"x,y");
    QTest::newRow("closing quote on the next line only") << QByteArray("\"a\r\nb\"\r\n");
}

void LastPositionFileTest::unfinishedValueIsRefused() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(ReadFirstField(bytes), std::nullopt);
}

void LastPositionFileTest::roundTrip_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("address") << "1 rue X,+Paris,+FRANCE,+75001";
    QTest::newRow("coordinates") << "48,8584,2,2945";
    QTest::newRow("degrees minutes seconds") << u"48°51'23\",2°17'40\""_qs;
    QTest::newRow("blank street") << " ,+Paris,+,+";
    QTest::newRow("accents") << u"Rue de la cité,+PARIS,+FRANCE,+75004"_qs;
}

void LastPositionFileTest::roundTrip() {
    QFETCH(QString, value);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ProgramTexts writer;
    QVERIFY(SaveLastPosition(writer, dir.path(), value));
    ProgramTexts reader;
    QCOMPARE(LoadLastPosition(reader, dir.path()), value);
    QCOMPARE(reader.lastPosition, value);
}

void LastPositionFileTest::loadWithoutFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(kLastPositionFileName)); // a folder is not the file
    ProgramTexts texts;
    QCOMPARE(LoadLastPosition(texts, dir.path()), QString());
    QCOMPARE(LoadLastPosition(texts, dir.filePath(u"missing"_qs)), QString());
    QVERIFY(texts.lastPosition.isEmpty());
    QVERIFY(!QFileInfo::exists(dir.filePath(u"missing"_qs)));
}

void LastPositionFileTest::loadEmptyFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WriteFile(dir.filePath(kLastPositionFileName), QByteArray());
    ProgramTexts texts;
    QCOMPARE(LoadLastPosition(texts, dir.path()), QString());
}

void LastPositionFileTest::loadRefusesAnUnfinishedValue() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    WriteFile(dir.filePath(kLastPositionFileName), '"' + QByteArray(4095, 'x'));
    ProgramTexts texts;
    texts.lastPosition = u"kept"_qs;
    QCOMPARE(LoadLastPosition(texts, dir.path()), QString());
    QVERIFY(texts.lastPosition.isEmpty());
}

void LastPositionFileTest::fileExists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("plain name") << "a.txt" << true;
    QTest::newRow("star") << "*.txt" << true;
    QTest::newRow("question mark") << "?.ini" << true;
    QTest::newRow("pattern without match") << "*.doc" << false;
    QTest::newRow("missing") << "missing.txt" << false;
    QTest::newRow("directory") << "sub" << false;
    QTest::newRow("pattern matching only a directory") << "su*" << false;
    QTest::newRow("hidden file") << ".hidden" << false;
    QTest::newRow("pattern matching only a hidden file") << ".hid*" << false;
    QTest::newRow("brackets are plain characters") << "x[1].txt" << true;
    QTest::newRow("brackets are no character class") << "x1.txt" << false;
    QTest::newRow("inside an empty folder") << "sub/*" << false;
    QTest::newRow("folder path with a slash") << "sub/" << false;
    QTest::newRow("case counts") << "A.TXT" << false;
}

void LastPositionFileTest::fileExists() {
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* file : {"a.txt", "b.ini", ".hidden", "x[1].txt"}) {
        WriteFile(dir.filePath(QString::fromLatin1(file)), "x");
    }
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_qs));
#ifdef Q_OS_WIN
    if (name == u"A.TXT") {
        QSKIP("file names ignore case on this system");
    }
#endif
    QCOMPARE(FileExists(dir.filePath(name)), exists);
}

QTEST_GUILESS_MAIN(LastPositionFileTest)
#include "LastPositionFileTest.moc"
