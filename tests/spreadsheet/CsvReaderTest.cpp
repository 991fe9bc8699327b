#include "spreadsheet/TableFile.h"
#include "spreadsheet/TableLimits.h"

#include <QBuffer>
#include <QTest>

using namespace tarnel;

Q_DECLARE_METATYPE(tarnel::TextEncoding)
Q_DECLARE_METATYPE(tarnel::LineEnd)

namespace {

OpenedTable OpenBytes(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return OpenTable(std::move(buffer));
}

// Every row's cells, then the reader's error when it stopped on one.
QList<QStringList> Read(TableReader& reader) {
    QList<QStringList> rows;
    Row row;
    while (reader.NextRow(row)) {
        QStringList texts;
        for (const Cell& cell : row) {
            texts.append(cell.text);
        }
        rows.append(texts);
    }
    if (!reader.Error().isEmpty()) {
        rows.append({QStringLiteral("ERREUR"), reader.Error()});
    }
    return rows;
}

} // namespace

class CsvReaderTest : public QObject {
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void windows1252AfterTheFirstBytes();
    void longCellKept();
    void refused_data();
    void refused();
};

void CsvReaderTest::rows_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<LineEnd>("lineEnd");
    QTest::addColumn<QList<QStringList>>("expected");
    QTest::newRow("old Mac line ends")
        << QByteArray("a;b\rc;d\r") << u";"_qs << LineEnd::Cr
        << QList<QStringList>{{u"a"_qs, u"b"_qs}, {u"c"_qs, u"d"_qs}};
    QTest::newRow("no line break at the end")
        << QByteArray("a,b\nc,d") << u","_qs << LineEnd::Lf
        << QList<QStringList>{{u"a"_qs, u"b"_qs}, {u"c"_qs, u"d"_qs}};
    QTest::newRow("line break and separator inside quotes")
        << QByteArray("a;b\r\n\"x\r\ny;z\";w\r\n") << u";"_qs << LineEnd::CrLf
        << QList<QStringList>{{u"a"_qs, u"b"_qs}, {u"x\r\ny;z"_qs, u"w"_qs}};
    QTest::newRow("doubled quotes, text after a closing quote")
        << QByteArray("a|b\n\"dit \"\"oui\"\"\"|\"ab\"c\n") << u"|"_qs << LineEnd::Lf
        << QList<QStringList>{{u"a"_qs, u"b"_qs}, {u"dit \"oui\""_qs, u"abc"_qs}};
    QTest::newRow("empty line kept as a row")
        << QByteArray("a\tb\n\nc\td\n") << u"\t"_qs << LineEnd::Lf
        << QList<QStringList>{{u"a"_qs, u"b"_qs}, {u""_qs}, {u"c"_qs, u"d"_qs}};
    QTest::newRow("one column of addresses with commas")
        << QByteArray("adresse\n12 rue X, 75001 Paris\n3 rue Y, 69001 Lyon\n") << u";"_qs
        << LineEnd::Lf
        << QList<QStringList>{
               {u"adresse"_qs}, {u"12 rue X, 75001 Paris"_qs}, {u"3 rue Y, 69001 Lyon"_qs}};
    QTest::newRow("commas inside semicolon fields")
        << QByteArray("nom;adresse\nA;1, rue X\nB;2, rue Y\n") << u";"_qs << LineEnd::Lf
        << QList<QStringList>{
               {u"nom"_qs, u"adresse"_qs}, {u"A"_qs, u"1, rue X"_qs}, {u"B"_qs, u"2, rue Y"_qs}};
    QTest::newRow("windows-1252 letters")
        << QByteArray("ville;prix\nC\x9Cur;5 \x80\n") << u";"_qs << LineEnd::Lf
        << QList<QStringList>{{u"ville"_qs, u"prix"_qs}, {u"Cœur"_qs, u"5 €"_qs}};
}

void CsvReaderTest::rows() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, separator);
    QFETCH(LineEnd, lineEnd);
    QFETCH(QList<QStringList>, expected);
    OpenedTable table = OpenBytes(bytes);
    QVERIFY2(table.reader, qPrintable(table.error));
    QCOMPARE(Read(*table.reader), expected);
    QCOMPARE(QString(table.reader->Dialect().separator), separator);
    QCOMPARE(table.reader->Dialect().lineEnd, lineEnd);
}

void CsvReaderTest::windows1252AfterTheFirstBytes() {
    // The first bytes read as UTF-8; one "é" of windows-1252 far down decides the encoding.
    QByteArray bytes = "nom;ville\n";
    while (bytes.size() < 200 * 1024) {
        bytes += "Dupont;Paris\n";
    }
    bytes += "Dupr\xE9;S\xE8te\n";
    OpenedTable table = OpenBytes(bytes);
    QVERIFY(table.reader);
    QCOMPARE(table.reader->Dialect().encoding, TextEncoding::Windows1252);
    const QList<QStringList> rows = Read(*table.reader);
    QCOMPARE(rows.last(), (QStringList{u"Dupré"_qs, u"Sète"_qs}));
}

void CsvReaderTest::longCellKept() {
    const QByteArray cell(100000, 'x');
    OpenedTable table = OpenBytes("a;b\n\"" + cell + "\";2\n");
    QVERIFY(table.reader);
    const QList<QStringList> rows = Read(*table.reader);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1][0].size(), 100000);
    QCOMPARE(rows[1][1], u"2"_qs);
}

void CsvReaderTest::refused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    QTest::newRow("quote never closed")
        << QByteArray("a;b\n1;2\n\"3;4\n5;6\n")
        << u"Un guillemet ouvert à la ligne 3 du fichier n'est jamais refermé : le fichier est "
           "sans doute incomplet."_qs;
    const QString tooLong = u"La ligne 2 du fichier est trop longue (plus de 8388608 caractères) "
                            "ou a trop de colonnes : ce n'est sans doute pas un tableau."_qs;
    QTest::newRow("row too long") << "a;b\n" + QByteArray(kMaxRowCharacters + 1, 'x') << tooLong;
    QTest::newRow("too many columns") << "a;b\n" + QByteArray(kMaxTableColumns + 1, ';') + "\n"
                                      << tooLong;
}

void CsvReaderTest::refused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    OpenedTable table = OpenBytes(bytes);
    QVERIFY(table.reader);
    QCOMPARE(Read(*table.reader).last(), (QStringList{u"ERREUR"_qs, error}));
}

QTEST_GUILESS_MAIN(CsvReaderTest)
#include "CsvReaderTest.moc"
