#include "spreadsheet/TableFileWriting.h"
#include "spreadsheet/CsvWriter.h"
#include "spreadsheet/TableFile.h"
#include "spreadsheet/XlsxWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;

namespace {

QString DataPath(const QString& name) {
    return QStringLiteral(TABLE_DATA_DIR "/") + name;
}

QList<Row> ReadAll(const QString& path, TableDialect* dialect = nullptr) {
    OpenedTable table = OpenTableFile(path);
    if (!table.reader) {
        qFatal("%s: %s", qPrintable(path), qPrintable(table.error));
    }
    QList<Row> rows;
    Row row;
    while (table.reader->NextRow(row)) {
        rows.append(row);
    }
    if (!table.reader->Error().isEmpty()) {
        qFatal("%s: %s", qPrintable(path), qPrintable(table.reader->Error()));
    }
    if (dialect != nullptr) {
        *dialect = table.reader->Dialect();
    }
    return rows;
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// What the batch adds to every row: two numbers and a text from a service.
const Row kAdded = {{u"48.8566"_qs, Cell::Kind::Number},
                    {u"-1.5"_qs, Cell::Kind::Number},
                    {u"=HYPERLINK(\"x\")"_qs, Cell::Kind::ForeignText},
                    {u"trouvée"_qs, Cell::Kind::Text}};

} // namespace

class TableFileWritingTest : public QObject {
    Q_OBJECT

private slots:
    void sameFormatAndDialect_data();
    void sameFormatAndDialect();
    void formulaGuard_data();
    void formulaGuard();
    void columnNames_data();
    void columnNames();
    void unwritablePathLeavesNothing();
};

void TableFileWritingTest::sameFormatAndDialect_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("addedTexts");
    QTest::addColumn<QByteArray>("startsWith");
    QTest::addColumn<QByteArray>("holds");
    const QStringList stop = {u"48.8566"_qs, u"-1.5"_qs, u"'=HYPERLINK(\"x\")"_qs, u"trouvée"_qs};
    const QStringList comma = {u"48,8566"_qs, u"-1,5"_qs, u"'=HYPERLINK(\"x\")"_qs, u"trouvée"_qs};
    const QStringList kept = {u"48.8566"_qs, u"-1.5"_qs, u"=HYPERLINK(\"x\")"_qs, u"trouvée"_qs};
    QTest::newRow("Excel windows-1252")
        << u"excel-semicolon-windows1252-crlf.csv"_qs << comma << QByteArray("N\xB0;Rue;")
        << QByteArray("trouv\xE9"
                      "e\r\n");
    QTest::newRow("Excel UTF-8") << u"excel-utf8-bom-crlf.csv"_qs << comma
                                 << QByteArray("\xEF\xBB\xBFN\xC2\xB0;")
                                 << QByteArray("48,8566;-1,5;\"'=HYPERLINK(\"\"x\"\")\";");
    QTest::newRow("LibreOffice commas")
        << u"libreoffice-comma-utf8-lf.csv"_qs << stop << QByteArray("N\xC2\xB0,Rue,")
        << QByteArray("48.8566,-1.5,");
    QTest::newRow("LibreOffice tabs")
        << u"libreoffice-tab-utf8-lf.csv"_qs << stop << QByteArray("N\xC2\xB0\tRue\t")
        << QByteArray("\"deux\nlignes\"\t48.8566");
    QTest::newRow("XLSX") << u"libreoffice.xlsx"_qs << kept << QByteArray("PK\x03\x04")
                          << QByteArray();
    // OpenDocument wants "mimetype" first, stored, with no extra field before its text.
    QTest::newRow("ODS") << u"libreoffice.ods"_qs << kept << QByteArray("PK\x03\x04")
                         << QByteArray("mimetypeapplication/vnd.oasis.opendocument.spreadsheet");
}

void TableFileWritingTest::sameFormatAndDialect() {
    QFETCH(QString, file);
    QFETCH(QStringList, addedTexts);
    QFETCH(QByteArray, startsWith);
    QFETCH(QByteArray, holds);
    TableDialect dialect;
    const QList<Row> input = ReadAll(DataPath(file), &dialect);
    const qsizetype width = input.front().size();
    QList<Row> output;
    for (Row row : input) {
        row.resize(width);
        output.append(row + kAdded);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(u"résultat."_qs + file.section(u'.', -1));
    qsizetype next = 0;
    QVERIFY(WriteTableFile(path, dialect, [&](Row& row) {
        if (next == output.size()) {
            return false;
        }
        row = output[next++];
        return true;
    }));
    const QByteArray bytes = Bytes(path);
    QVERIFY2(bytes.startsWith(startsWith), bytes.left(48).toHex().constData());
    QVERIFY2(bytes.contains(holds), bytes.left(200).constData());

    TableDialect written;
    const QList<Row> back = ReadAll(path, &written);
    QCOMPARE(back.size(), input.size());
    QCOMPARE(written.format, dialect.format);
    QCOMPARE(written.separator, dialect.separator);
    QCOMPARE(written.encoding, dialect.encoding);
    QCOMPARE(written.lineEnd, dialect.lineEnd);
    QCOMPARE(written.sheetName, dialect.sheetName);
    for (qsizetype i = 0; i < input.size(); ++i) {
        Row expected = input[i];
        expected.resize(width);
        QCOMPARE(back[i].mid(0, width), expected);
        QStringList added;
        for (const Cell& cell : back[i].mid(width)) {
            added.append(cell.text);
        }
        QCOMPARE(added, addedTexts);
    }
}

void TableFileWritingTest::formulaGuard_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("equals") << u"=1+1"_qs << u"\"'=1+1\""_qs;
    QTest::newRow("plus") << u"+33 6 12"_qs << u"\"'+33 6 12\""_qs;
    QTest::newRow("minus") << u"-2"_qs << u"\"'-2\""_qs;
    QTest::newRow("at") << u"@SUM(A1)"_qs << u"\"'@SUM(A1)\""_qs;
    QTest::newRow("tab") << u"\tx"_qs << u"\"'\tx\""_qs;
    QTest::newRow("carriage return") << u"\rx"_qs << u"\"'\rx\""_qs;
    QTest::newRow("plain label") << u"8 Rue de Rivoli 75004 Paris"_qs
                                 << u"8 Rue de Rivoli 75004 Paris"_qs;
    QTest::newRow("minus inside") << u"Saint-Malo"_qs << u"Saint-Malo"_qs;
}

void TableFileWritingTest::formulaGuard() {
    QFETCH(QString, text);
    QFETCH(QString, field);
    TableDialect dialect;
    dialect.lineEnd = LineEnd::Lf;
    const CsvWriter writer(dialect);
    QCOMPARE(writer.RowText({{text, Cell::Kind::ForeignText}}), field + u'\n');
    // Text of the user's own file is written back as it was.
    QVERIFY(!writer.RowText({{text, Cell::Kind::Text}}).startsWith(u"\"'"_qs));
}

void TableFileWritingTest::columnNames_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("name");
    QTest::newRow("first") << 0 << u"A"_qs;
    QTest::newRow("Z") << 25 << u"Z"_qs;
    QTest::newRow("AA") << 26 << u"AA"_qs;
    QTest::newRow("AZ") << 51 << u"AZ"_qs;
    QTest::newRow("last Excel column") << 16383 << u"XFD"_qs;
}

void TableFileWritingTest::columnNames() {
    QFETCH(int, column);
    QFETCH(QString, name);
    QCOMPARE(XlsxWriter::ColumnName(column), name);
}

void TableFileWritingTest::unwritablePathLeavesNothing() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"dossier"_qs);
    QVERIFY(QDir().mkdir(folder));
    TableDialect dialect;
    dialect.format = TableFormat::Xlsx;
    const auto oneRow = [sent = false](Row& row) mutable {
        row = {{u"a"_qs, Cell::Kind::Text}};
        return !std::exchange(sent, true);
    };
    QVERIFY(!WriteTableFile(folder, dialect, oneRow));
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(!WriteTableFile(dir.filePath(u"absent/r.xlsx"_qs), dialect, oneRow));
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{u"dossier"_qs});
}

QTEST_GUILESS_MAIN(TableFileWritingTest)
#include "TableFileWritingTest.moc"
