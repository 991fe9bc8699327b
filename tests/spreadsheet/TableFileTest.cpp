#include "spreadsheet/TableFile.h"
#include "spreadsheet/TableFileWriting.h"
#include "spreadsheet/TableLimits.h"
#include "spreadsheet/ZipWriter.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace tarnel;

Q_DECLARE_METATYPE(tarnel::TableDialect)

namespace {

QByteArray DataBytes(const QString& name) {
    QFile file(QStringLiteral(TABLE_DATA_DIR "/") + name);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A row's texts, a number cell's marked with a leading "#".
QStringList RowTexts(const Row& row) {
    QStringList texts;
    for (const Cell& cell : row) {
        texts.append(cell.kind == Cell::Kind::Number ? u'#' + cell.text : cell.text);
    }
    return texts;
}

// Every row as RowTexts gives it, the empty cells at each row's end left out, then the error
// the table stopped on (or was refused with) as a last row.
QList<QStringList> Texts(OpenedTable& table) {
    QList<QStringList> rows;
    Row row;
    while (table.reader && table.reader->NextRow(row)) {
        QStringList texts = RowTexts(row);
        while (!texts.isEmpty() && texts.last().isEmpty()) {
            texts.removeLast();
        }
        rows.append(texts);
    }
    const QString error = table.reader ? table.reader->Error() : table.error;
    if (!error.isEmpty()) {
        rows.append({QStringLiteral("ERREUR"), error});
    }
    return rows;
}

// The six rows every file of data/ holds, as its format shows dates and numbers.
QList<QStringList> Expected(const QStringList& dates, const QString& number) {
    const auto n = [&](const char16_t* text) {
        return number + QString::fromUtf16(text);
    };
    return {
        {u"N°"_qs, u"Rue"_qs, u"Complément"_qs, u"Code postal"_qs, u"Ville"_qs,
         u"Date de visite"_qs, u"Montant"_qs, u"Remarque"_qs},
        {n(u"12"), u"rue de la Paix"_qs, u""_qs, n(u"75002"), u"Paris"_qs, dates[0], n(u"12.5"),
         u"simple"_qs},
        {n(u"1"), u"place de l'Église"_qs, u"Bâtiment B"_qs, n(u"1140"),
         u"Saint-Didier-sur-Chalaronne"_qs, dates[1], n(u"1000"), u"deux\nlignes"_qs},
        {},
        {u"3 bis"_qs, u"avenue « Cœur » ; côté €"_qs, u""_qs, n(u"13001"), u"Marseille"_qs, u""_qs,
         n(u"-3"), u"=SOMME(A1)"_qs},
        {n(u"7"), u"chemin des Œillets"_qs, u"Lieu-dit \"Les Prés\""_qs, n(u"29200"), u"Brest"_qs,
         dates[2], n(u"0.25")},
    };
}

TableDialect Csv(QChar separator, TextEncoding encoding, LineEnd lineEnd) {
    return {.separator = separator, .encoding = encoding, .lineEnd = lineEnd, .sheetName = {}};
}

QByteArray ZipOf(const QList<QPair<QString, QByteArray>>& members) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ZipWriter zip;
    zip.Begin(buffer);
    for (const auto& [name, bytes] : members) {
        zip.Add(name, bytes);
    }
    zip.Finish();
    return buffer.data();
}

// A workbook of one sheet in the 1904 date system, whose styles 1 to 4 show numbers as the
// built-in short date, the built-in "0.00", a day with a locale, and a number with quoted text.
QByteArray MinimalXlsx(const QByteArray& sheet) {
    return ZipOf({
        {u"[Content_Types].xml"_qs, "<Types/>"},
        {u"xl/workbook.xml"_qs,
         "<workbook xmlns:r=\"r\"><workbookPr date1904=\"1\"/><sheets><sheet name=\"S\" "
         "sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {u"xl/_rels/workbook.xml.rels"_qs,
         "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"x/styles\" "
         "Target=\"styles.xml\"/></Relationships>"},
        {u"xl/styles.xml"_qs,
         "<styleSheet><numFmts><numFmt numFmtId=\"165\" formatCode=\"[$-40C]d\\ mmmm\\ yyyy\"/>"
         "<numFmt numFmtId=\"166\" formatCode=\"0.00&quot; days&quot;\"/></numFmts><cellXfs>"
         "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"2\"/><xf numFmtId=\"165\"/>"
         "<xf numFmtId=\"166\"/></cellXfs></styleSheet>"},
        {u"xl/worksheets/sheet1.xml"_qs, sheet},
    });
}

OpenedTable OpenBytes(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return OpenTable(std::move(buffer));
}

// Texts from a service, most of which a spreadsheet would take for formulas.
const QStringList kServiceTexts = {u"=HYPERLINK(\"x\")"_qs, u"+33 6 12"_qs, u"-2"_qs,
                                   u"@SUM(A1)"_qs,          u"\tx"_qs,      u"Saint-Malo"_qs};

// What the batch adds to every row: two numbers and the service's texts.
const Row kAdded = [] {
    Row added = {{u"48.8566"_qs, Cell::Kind::Number}, {u"-1.5"_qs, Cell::Kind::Number}};
    for (const QString& text : kServiceTexts) {
        added.append({text, Cell::Kind::ForeignText});
    }
    return added;
}();

} // namespace

class TableFileTest : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void writtenBack_data();
    void writtenBack();
};

void TableFileTest::read_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TableDialect>("dialect"); // when the table is read to its end
    QTest::addColumn<QList<QStringList>>("rows");
    using R = QList<QStringList>;
    using enum TextEncoding;
    using enum LineEnd;
    const auto file = [](const char* name, const TableDialect& dialect, const R& rows) {
        QTest::newRow(name) << DataBytes(QString::fromLatin1(name)) << dialect << rows;
    };
    const QStringList us = {u"03/05/24"_qs, u"02/29/24"_qs, u"12/01/23"_qs};
    file("excel-semicolon-windows1252-crlf.csv", Csv(u';', Windows1252, CrLf), Expected(us, {}));
    file("excel-utf8-bom-crlf.csv", Csv(u';', Utf8WithBom, CrLf), Expected(us, {}));
    file("libreoffice-comma-utf8-lf.csv", Csv(u',', Utf8, Lf), Expected(us, {}));
    file("libreoffice-tab-utf8-lf.csv", Csv(u'\t', Utf8, Lf), Expected(us, {}));
    // Numbers stay unquoted in this export, so not every field is quoted.
    file("libreoffice-quote-all-lf.csv", Csv(u',', Utf8, Lf), Expected(us, {}));
    file("libreoffice.ods", TableDialect{.format = TableFormat::Ods, .sheetName = u"source"_qs},
         Expected(us, u"#"_qs));
    file("libreoffice.xlsx", TableDialect{.format = TableFormat::Xlsx, .sheetName = u"source"_qs},
         Expected({u"05/03/2024"_qs, u"29/02/2024"_qs, u"01/12/2023"_qs}, u"#"_qs));
    const QString cell = u"a\tb\nc\nd"_qs;
    const QStringList repeated = {u"1 place du Marché  bis"_qs, u"#1140"_qs};
    file("repeated.ods", TableDialect{.format = TableFormat::Ods, .sheetName = u"Adresses"_qs},
         {{u"adresse"_qs, u"cp"_qs}, repeated, repeated, {}, {}, {}, {u""_qs, cell, cell}});
    const QStringList sparse = {u"VRAI"_qs, u"f"_qs, u"#N/A"_qs, u"#0.3"_qs, u"#1140"_qs};
    // Style 1: a time alone, a day and time, a serial before the first day; then one day in
    // styles 2 to 4.
    const QStringList dates = {u"14:30:01"_qs, u"05/03/2024 14:30"_qs, u"#-1"_qs,
                               u"#43894"_qs,   u"05/03/2024"_qs,       u"#43894"_qs};
    QTest::newRow("sparse XLSX with styles")
        << MinimalXlsx(
               "<worksheet><sheetData>"
               "<row r=\"1\"><c r=\"B1\" t=\"inlineStr\"><is><t>b</t></is></c>"
               "<c r=\"D1\" t=\"inlineStr\"><is><r><t>d</t></r><r><t>e</t></r><rPh><t>x</t></rPh>"
               "</is></c></row>"
               "<row r=\"4\"><c t=\"b\"><v>1</v></c><c t=\"str\"><v>f</v></c><c t=\"e\"><v>#N/A"
               "</v></c><c><v>0.30000000000000004</v></c><c s=\"0\"><v>1140</v></c></row>"
               "<row r=\"5\" spans=\"1:3\"/><row><c s=\"1\"><v>0.6041782407</v></c>"
               "<c s=\"1\"><v>43894.6041666667</v></c><c s=\"1\"><v>-1</v></c>"
               "<c s=\"2\"><v>43894</v></c><c s=\"3\"><v>43894</v></c><c s=\"4\"><v>43894</v></c>"
               "</row></sheetData></worksheet>")
        << TableDialect{.format = TableFormat::Xlsx, .sheetName = u"S"_qs}
        << R{{u""_qs, u"b"_qs, u""_qs, u"de"_qs}, {}, {}, sparse, {}, dates};

    const auto ascii = [](const char* name, const QByteArray& bytes, QChar separator,
                          LineEnd lineEnd, const R& rows) {
        QTest::newRow(name) << bytes << Csv(separator, Utf8, lineEnd) << rows;
    };
    const QStringList ab = {u"a"_qs, u"b"_qs};
    const QStringList cd = {u"c"_qs, u"d"_qs};
    ascii("old Mac line ends, none at the end", "a;b\rc;d", u';', Cr, {ab, cd});
    ascii("line break and separator inside quotes", "a;b\r\n\"x\r\ny;z\";w\r\n", u';', CrLf,
          {ab, {u"x\r\ny;z"_qs, u"w"_qs}});
    ascii("empty line, doubled quotes, text after a closing quote",
          "a|b\n\n\"dit \"\"oui\"\"\"|\"ab\"c\n", u'|', Lf,
          {ab, {}, {u"dit \"oui\""_qs, u"abc"_qs}});
    ascii("one column of addresses with commas", "adresse\n12 rue X, 75001 Paris\n", u';', Lf,
          {{u"adresse"_qs}, {u"12 rue X, 75001 Paris"_qs}});

    // UTF-8 is checked a megabyte at a time: a sequence cut by that boundary is read whole. The
    // first line is too long for its end to be seen, hence CR LF.
    const qsizetype head = (qsizetype{1} << 20) - 2;
    QTest::newRow("é across the boundary")
        << QByteArray(head, 'a') + "\n\xC3\xA9t\xC3\xA9\n"
        << Csv(u';', Utf8, CrLf) << R{{QString(head, u'a')}, {u"été"_qs}};
    QTest::newRow("a lead byte without its end")
        << QByteArray(head, 'a') + "\n\xC3\n"
        << Csv(u';', Windows1252, CrLf) << R{{QString(head, u'a')}, {u"Ã"_qs}};

    const auto refused = [](const char* name, const QByteArray& bytes, const QString& message,
                            const R& before = {}) {
        QTest::newRow(name) << bytes << TableDialect() << before + R{{u"ERREUR"_qs, message}};
    };
    refused("blank lines and a byte order mark", "\xEF\xBB\xBF\r\n \r\n",
            u"Le fichier est vide."_qs);
    refused("password-protected workbook",
            QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0'),
            u"Ce classeur est protégé par un mot de passe, ou enregistré au format Excel 97-2003 "
            "(.xls) : ouvrez-le dans votre tableur et enregistrez-le sans mot de passe au format "
            ".xlsx, .ods ou .csv."_qs);
    refused("UTF-16", QByteArray::fromHex("fffe61003b006200"),
            u"Ce fichier est du texte Unicode (UTF-16) : enregistrez-le depuis votre tableur au "
            "format « CSV UTF-8 » ou « CSV (séparateur : point-virgule) »."_qs);
    refused("picture", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
            u"Ce fichier n'est ni un tableau CSV ni un classeur XLSX ou ODS : il contient des "
            "données binaires."_qs);
    refused("truncated zip", QByteArray("PK\x03\x04\x14\0\0\0", 8),
            u"Le classeur est endommagé : son contenu compressé ne peut pas être lu."_qs);
    refused("zip bomb", MinimalXlsx(QByteArray(20 << 20, ' ')),
            u"Le classeur se décompresse en une taille démesurée (20 Mo pour la partie "
            "« xl/worksheets/sheet1.xml ») : il n'est pas ouvert."_qs);
    // A sheet of 120 bytes that its central directory entry says is 40 (the entry's name is 46
    // bytes in, the size 24).
    QByteArray lying =
        MinimalXlsx("<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>"
                    "abcdefghijklmnopqrstuvwxyz</t></is></c></row></sheetData></worksheet>");
    qToLittleEndian(quint32{40}, lying.data() + lying.lastIndexOf("xl/worksheets/sheet1.xml") - 22);
    refused("more bytes than declared", lying,
            u"Le classeur est endommagé : une partie ne se décompresse pas entièrement."_qs);
    const QByteArray third =
        "<c t=\"inlineStr\"><is><t>" + QByteArray(kMaxRowCharacters / 3 + 1, 'x') + "</t></is></c>";
    refused("row beyond the characters bound",
            MinimalXlsx("<worksheet><sheetData><row>" + third + third + third +
                        "</row></sheetData></worksheet>"),
            u"Le classeur Excel est endommagé : une ligne est démesurée."_qs);
    refused("broken sheet XML",
            MinimalXlsx("<worksheet><sheetData><row><c><v>1</v></row></sheetData></worksheet>"),
            u"Le classeur est endommagé : la partie « xl/worksheets/sheet1.xml » n'est pas un XML "
            "lisible (Opening and ending tag mismatch.)."_qs);
    refused("quote never closed", "a;b\n1;2\n\"3;4\n5;6\n",
            u"Un guillemet ouvert à la ligne 3 du fichier n'est jamais refermé : le fichier est "
            "sans doute incomplet."_qs,
            R{ab, {u"1"_qs, u"2"_qs}});
    refused("CSV row too long", "a;b\n" + QByteArray(kMaxRowCharacters + 1, 'x'),
            u"La ligne 2 du fichier est trop longue (plus de 8388608 caractères) ou a trop de "
            "colonnes : ce n'est sans doute pas un tableau."_qs,
            R{ab});
}

void TableFileTest::read() {
    QFETCH(QByteArray, bytes);
    QFETCH(TableDialect, dialect);
    QFETCH(QList<QStringList>, rows);
    OpenedTable table = OpenBytes(bytes);
    QCOMPARE(Texts(table), rows);
    if (table.reader && table.reader->Error().isEmpty()) {
        QCOMPARE(table.reader->Dialect(), dialect);
    }
}

// Each real file with the batch's columns added, written in its own dialect and read back.
void TableFileTest::writtenBack_data() {
    QTest::addColumn<QStringList>("added"); // the added cells as they are read back
    QTest::addColumn<QByteArray>("holds");
    // A CSV file has no formulas but a spreadsheet opening it makes them: OWASP's apostrophe.
    const QStringList guarded = {u"'=HYPERLINK(\"x\")"_qs, u"'+33 6 12"_qs, u"'-2"_qs,
                                 u"'@SUM(A1)"_qs,          u"'\tx"_qs,      u"Saint-Malo"_qs};
    const QStringList comma = QStringList{u"48,8566"_qs, u"-1,5"_qs} + guarded;
    const QStringList stop = QStringList{u"48.8566"_qs, u"-1.5"_qs} + guarded;
    const QStringList numbers = QStringList{u"#48.8566"_qs, u"#-1.5"_qs} + kServiceTexts;
    QTest::newRow("excel-semicolon-windows1252-crlf.csv") << comma << QByteArray();
    QTest::newRow("excel-utf8-bom-crlf.csv") << comma << QByteArray();
    QTest::newRow("libreoffice-comma-utf8-lf.csv") << stop << QByteArray();
    QTest::newRow("libreoffice.xlsx") << numbers << QByteArray();
    // OpenDocument wants "mimetype" first, stored, with no extra field before its text.
    QTest::newRow("libreoffice.ods")
        << numbers << QByteArray("mimetypeapplication/vnd.oasis.opendocument.spreadsheet");
}

void TableFileTest::writtenBack() {
    QFETCH(QStringList, added);
    QFETCH(QByteArray, holds);
    const QString file = QString::fromLatin1(QTest::currentDataTag());
    OpenedTable table = OpenBytes(DataBytes(file));
    QList<Row> input;
    for (Row row; table.reader->NextRow(row);) {
        input.append(row);
    }
    // Rows as wide as a sheet, so that XLSX cells are named from A to XFD.
    const qsizetype width = kMaxTableColumns - kAdded.size();
    QList<QStringList> expected;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"résultat."_qs + file.section(u'.', -1));
    QVERIFY(WriteTableFile(path, table.reader->Dialect(), [&](Row& row) {
        if (expected.size() == input.size()) {
            return false;
        }
        row = input[expected.size()];
        row.resize(width);
        expected.append(RowTexts(row) + added);
        row += kAdded;
        return true;
    }));
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly) && written.readAll().mid(30).startsWith(holds));
    OpenedTable back = OpenTableFile(path);
    QCOMPARE(Texts(back), expected);
    QCOMPARE(back.reader->Dialect(), table.reader->Dialect());
}

QTEST_GUILESS_MAIN(TableFileTest)
#include "TableFileTest.moc"
