#include "spreadsheet/TableFile.h"
#include "spreadsheet/TableLimits.h"

#include <QBuffer>
#include <QFile>
#include <QTest>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

using namespace tarnel;

Q_DECLARE_METATYPE(tarnel::TableFormat)
Q_DECLARE_METATYPE(tarnel::TextEncoding)
Q_DECLARE_METATYPE(tarnel::LineEnd)

namespace {

QString DataPath(const char* name) {
    return QStringLiteral(TABLE_DATA_DIR "/") + QLatin1String(name);
}

// The rows of a table as texts, the empty cells at each row's end left out, or the reader's
// error as the only row.
QList<QStringList> Texts(TableReader& reader) {
    QList<QStringList> rows;
    Row row;
    while (reader.NextRow(row)) {
        QStringList texts;
        for (const Cell& cell : row) {
            texts.append(cell.text);
        }
        while (!texts.isEmpty() && texts.last().isEmpty()) {
            texts.removeLast();
        }
        rows.append(texts);
    }
    if (!reader.Error().isEmpty()) {
        rows.append({QStringLiteral("ERREUR"), reader.Error()});
    }
    return rows;
}

// The six rows every file of data/ holds, with its way of showing dates and numbers.
QList<QStringList> Expected(const QStringList& dates, const QStringList& amounts) {
    return {
        {u"N°"_qs, u"Rue"_qs, u"Complément"_qs, u"Code postal"_qs, u"Ville"_qs,
         u"Date de visite"_qs, u"Montant"_qs, u"Remarque"_qs},
        {u"12"_qs, u"rue de la Paix"_qs, u""_qs, u"75002"_qs, u"Paris"_qs, dates[0], amounts[0],
         u"simple"_qs},
        {u"1"_qs, u"place de l'Église"_qs, u"Bâtiment B"_qs, u"1140"_qs,
         u"Saint-Didier-sur-Chalaronne"_qs, dates[1], amounts[1], u"deux\nlignes"_qs},
        {},
        {u"3 bis"_qs, u"avenue « Cœur » ; côté €"_qs, u""_qs, u"13001"_qs, u"Marseille"_qs, u""_qs,
         u"-3"_qs, u"=SOMME(A1)"_qs},
        {u"7"_qs, u"chemin des Œillets"_qs, u"Lieu-dit \"Les Prés\""_qs, u"29200"_qs, u"Brest"_qs,
         dates[2], amounts[2]},
    };
}

const QStringList kShownDates = {u"03/05/24"_qs, u"02/29/24"_qs, u"12/01/23"_qs};
const QStringList kAmounts = {u"12.5"_qs, u"1000"_qs, u"0.25"_qs};

QByteArray ZipOf(const QList<QPair<QString, QByteArray>>& members) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QuaZip zip(&buffer);
    zip.setAutoClose(false);
    zip.open(QuaZip::mdCreate);
    for (const auto& [name, bytes] : members) {
        QuaZipFile file(&zip);
        file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, 8, 9);
        file.write(bytes);
        file.close();
    }
    zip.close();
    return buffer.data();
}

QByteArray MinimalXlsx(const QByteArray& sheet) {
    return ZipOf({
        {u"[Content_Types].xml"_qs, "<Types/>"},
        {u"xl/workbook.xml"_qs,
         "<workbook xmlns:r=\"r\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>"
         "</sheets></workbook>"},
        {u"xl/_rels/workbook.xml.rels"_qs,
         "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {u"xl/worksheets/sheet1.xml"_qs, sheet},
    });
}

// `zip` with the uncompressed size its central directory gives `name` set to `size`.
QByteArray WithDeclaredSize(QByteArray zip, const QByteArray& name, quint32 size) {
    const qsizetype entry = zip.indexOf(QByteArray("PK\x01\x02", 4) + QByteArray(24, '\0'));
    qsizetype at = zip.indexOf(QByteArray("PK\x01\x02", 4));
    while (at >= 0 && zip.mid(at + 46, name.size()) != name) {
        at = zip.indexOf(QByteArray("PK\x01\x02", 4), at + 4);
    }
    Q_UNUSED(entry);
    for (int i = 0; i < 4; ++i) {
        zip[at + 24 + i] = char((size >> (8 * i)) & 0xFF);
    }
    return zip;
}

OpenedTable OpenBytes(const QByteArray& bytes) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return OpenTable(std::move(buffer));
}

} // namespace

class TableFileTest : public QObject {
    Q_OBJECT

private slots:
    void realFiles_data();
    void realFiles();
    void numbersAndSheetNames_data();
    void numbersAndSheetNames();
    void repeatedOdsRowsAndCells();
    void sparseXlsx();
    void refused_data();
    void refused();
    void encodingAcrossChunks_data();
    void encodingAcrossChunks();
};

void TableFileTest::realFiles_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<TableFormat>("format");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<LineEnd>("lineEnd");
    QTest::addColumn<bool>("quoteAll");
    QTest::addColumn<QList<QStringList>>("rows");
    const auto shown = Expected(kShownDates, kAmounts);
    QTest::newRow("Excel CSV (point-virgule), windows-1252, CR LF")
        << DataPath("excel-semicolon-windows1252-crlf.csv") << TableFormat::Csv << u";"_qs
        << TextEncoding::Windows1252 << LineEnd::CrLf << false << shown;
    QTest::newRow("Excel CSV UTF-8 with its byte order mark")
        << DataPath("excel-utf8-bom-crlf.csv") << TableFormat::Csv << u";"_qs
        << TextEncoding::Utf8WithBom << LineEnd::CrLf << false << shown;
    QTest::newRow("LibreOffice UTF-8, commas, LF")
        << DataPath("libreoffice-comma-utf8-lf.csv") << TableFormat::Csv << u","_qs
        << TextEncoding::Utf8 << LineEnd::Lf << false << shown;
    QTest::newRow("LibreOffice tabs")
        << DataPath("libreoffice-tab-utf8-lf.csv") << TableFormat::Csv << u"\t"_qs
        << TextEncoding::Utf8 << LineEnd::Lf << false << shown;
    // Numbers stay unquoted in this export, so not every field is quoted.
    QTest::newRow("LibreOffice, text cells quoted")
        << DataPath("libreoffice-quote-all-lf.csv") << TableFormat::Csv << u","_qs
        << TextEncoding::Utf8 << LineEnd::Lf << false << shown;
    QTest::newRow("LibreOffice ODS") << DataPath("libreoffice.ods") << TableFormat::Ods << u";"_qs
                                     << TextEncoding::Utf8 << LineEnd::CrLf << false << shown;
    QTest::newRow("LibreOffice XLSX")
        << DataPath("libreoffice.xlsx") << TableFormat::Xlsx << u";"_qs << TextEncoding::Utf8
        << LineEnd::CrLf << false
        << Expected({u"05/03/2024"_qs, u"29/02/2024"_qs, u"01/12/2023"_qs}, kAmounts);
}

void TableFileTest::realFiles() {
    QFETCH(QString, path);
    QFETCH(TableFormat, format);
    QFETCH(QString, separator);
    QFETCH(TextEncoding, encoding);
    QFETCH(LineEnd, lineEnd);
    QFETCH(bool, quoteAll);
    QFETCH(QList<QStringList>, rows);
    OpenedTable table = OpenTableFile(path);
    QVERIFY2(table.reader, qPrintable(table.error));
    QCOMPARE(Texts(*table.reader), rows);
    const TableDialect dialect = table.reader->Dialect();
    QCOMPARE(dialect.format, format);
    if (format == TableFormat::Csv) {
        QCOMPARE(QString(dialect.separator), separator);
        QCOMPARE(dialect.encoding, encoding);
        QCOMPARE(dialect.lineEnd, lineEnd);
        QCOMPARE(dialect.quoteAll, quoteAll);
    }
}

void TableFileTest::numbersAndSheetNames_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("sheet");
    QTest::newRow("xlsx") << DataPath("libreoffice.xlsx") << u"source"_qs;
    QTest::newRow("ods") << DataPath("libreoffice.ods") << u"source"_qs;
}

void TableFileTest::numbersAndSheetNames() {
    QFETCH(QString, path);
    QFETCH(QString, sheet);
    OpenedTable table = OpenTableFile(path);
    QVERIFY2(table.reader, qPrintable(table.error));
    Row row;
    QVERIFY(table.reader->NextRow(row));
    QCOMPARE(row[0].kind, Cell::Kind::Text);
    QVERIFY(table.reader->NextRow(row));
    QCOMPARE(row[0].kind, Cell::Kind::Number);
    QCOMPARE(row[1].kind, Cell::Kind::Text);
    QCOMPARE(row[3].kind, Cell::Kind::Number);
    QCOMPARE(row[5].kind, Cell::Kind::Text); // the date, as shown
    QCOMPARE(row[6].kind, Cell::Kind::Number);
    QCOMPARE(table.reader->Dialect().sheetName, sheet);
}

void TableFileTest::repeatedOdsRowsAndCells() {
    OpenedTable table = OpenTableFile(DataPath("repeated.ods"));
    QVERIFY2(table.reader, qPrintable(table.error));
    const QString cell = u"a\tb\nc\nd"_qs;
    const QList<QStringList> expected = {
        {u"adresse"_qs, u"cp"_qs},
        {u"1 place du Marché  bis"_qs, u"1140"_qs},
        {u"1 place du Marché  bis"_qs, u"1140"_qs},
        {},
        {},
        {},
        {u""_qs, cell, cell},
    };
    QCOMPARE(Texts(*table.reader), expected);
    QCOMPARE(table.reader->Dialect().sheetName, u"Adresses"_qs);
}

void TableFileTest::sparseXlsx() {
    const QByteArray sheet =
        "<worksheet><sheetData>"
        "<row r=\"1\"><c r=\"B1\" t=\"inlineStr\"><is><t>b</t></is></c>"
        "<c r=\"D1\" t=\"inlineStr\"><is><r><t>d</t></r><r><t>e</t></r><rPh><t>x</t></rPh></is>"
        "</c></row>"
        "<row r=\"4\"><c t=\"b\"><v>1</v></c><c t=\"str\"><v>f</v></c><c t=\"e\"><v>#N/A</v></c>"
        "<c><v>0.30000000000000004</v></c><c s=\"0\"><v>1140</v></c></row>"
        "<row r=\"5\" spans=\"1:3\"/>"
        "</sheetData></worksheet>";
    OpenedTable table = OpenBytes(MinimalXlsx(sheet));
    QVERIFY2(table.reader, qPrintable(table.error));
    const QList<QStringList> expected = {
        {u""_qs, u"b"_qs, u""_qs, u"de"_qs},
        {},
        {},
        {u"VRAI"_qs, u"f"_qs, u"#N/A"_qs, u"0.3"_qs, u"1140"_qs},
    };
    QCOMPARE(Texts(*table.reader), expected);
}

void TableFileTest::refused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QString damaged =
        u"Le classeur est endommagé : son contenu compressé ne peut pas être lu."_qs;
    QTest::newRow("empty") << QByteArray() << u"Le fichier est vide."_qs;
    QTest::newRow("blank lines and a byte order mark")
        << QByteArray("\xEF\xBB\xBF\r\n \r\n") << u"Le fichier est vide."_qs;
    QTest::newRow("password-protected workbook")
        << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(504, '\0')
        << u"Ce classeur est protégé par un mot de passe, ou enregistré au format Excel 97-2003 "
           "(.xls) : ouvrez-le dans votre tableur et enregistrez-le sans mot de passe au "
           "format .xlsx, .ods ou .csv."_qs;
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE"
                                          "a\0;\0b\0",
                                          8)
                            << u"Ce fichier est du texte Unicode (UTF-16) : enregistrez-le depuis "
                               "votre tableur au format « CSV UTF-8 » ou « CSV (séparateur : "
                               "point-virgule) »."_qs;
    QTest::newRow("picture") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)
                             << u"Ce fichier n'est ni un tableau CSV ni un classeur XLSX ou ODS : "
                                "il contient des données binaires."_qs;
    QTest::newRow("other zip") << ZipOf({{u"photo.jpg"_qs, "x"}})
                               << u"Ce fichier compressé n'est ni un classeur Excel (.xlsx) ni un "
                                  "classeur OpenDocument (.ods)."_qs;
    QTest::newRow("truncated zip") << QByteArray("PK\x03\x04\x14\0\0\0", 8) << damaged;
    QTest::newRow("zip bomb")
        << MinimalXlsx(QByteArray(20 << 20, ' '))
        << u"Le classeur se décompresse en une taille démesurée (20 Mo pour "
           "la partie « xl/worksheets/sheet1.xml ») : il n'est pas ouvert."_qs;
    QTest::newRow("more bytes than declared")
        << WithDeclaredSize(MinimalXlsx("<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>"
                                        "abcdefghijklmnopqrstuvwxyz</t></is></c></row>"
                                        "</sheetData></worksheet>"),
                            "xl/worksheets/sheet1.xml", 40)
        << u"Le classeur est endommagé : une partie ne se décompresse pas entièrement."_qs;
    QTest::newRow("workbook without a sheet")
        << ZipOf({{u"[Content_Types].xml"_qs, "<Types/>"},
                  {u"xl/workbook.xml"_qs, "<workbook/>"},
                  {u"xl/_rels/workbook.xml.rels"_qs, "<Relationships/>"}})
        << u"Le classeur Excel est endommagé : sa première feuille est introuvable."_qs;
    QTest::newRow("sheet with no row") << MinimalXlsx("<worksheet><sheetData/></worksheet>")
                                       << u"Le fichier ne contient aucune ligne."_qs;
    QTest::newRow("row beyond the sheet")
        << MinimalXlsx("<worksheet><sheetData><row r=\"2000000\"><c><v>1</v></c></row>"
                       "</sheetData></worksheet>")
        << u"Le classeur Excel est endommagé : une ligne est hors de la feuille."_qs;
    QString wide = u"<worksheet><sheetData><row>"_qs;
    for (int i = 0; i < 3; ++i) {
        wide += u"<c t=\"inlineStr\"><is><t>"_qs + QString(kMaxRowCharacters / 3 + 1, u'x') +
                u"</t></is></c>"_qs;
    }
    QTest::newRow("row beyond the characters bound")
        << MinimalXlsx((wide + u"</row></sheetData></worksheet>"_qs).toUtf8())
        << u"Le classeur Excel est endommagé : une ligne est démesurée."_qs;
    QTest::newRow("broken sheet XML")
        << MinimalXlsx("<worksheet><sheetData><row><c><v>1</v></row></sheetData></worksheet>")
        << u"Le classeur est endommagé : la partie « xl/worksheets/sheet1.xml » n'est pas un XML "
           "lisible (Opening and ending tag mismatch.)."_qs;
}

void TableFileTest::refused() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    OpenedTable table = OpenBytes(bytes);
    QString error = table.error;
    if (table.reader) {
        Row row;
        while (table.reader->NextRow(row)) {
        }
        error = table.reader->Error();
    }
    QCOMPARE(error, message);
}

// UTF-8 is checked a megabyte at a time: a sequence cut by that boundary is read whole.
void TableFileTest::encodingAcrossChunks_data() {
    QTest::addColumn<QByteArray>("tail"); // after a first line that ends one byte before 1 MiB
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QString>("last");

    QTest::newRow("é across the boundary")
        << QByteArray("\xC3\xA9t\xC3\xA9\n") << TextEncoding::Utf8 << u"été"_qs;
    QTest::newRow("€ across the boundary")
        << QByteArray("\xE2\x82\xAC\n") << TextEncoding::Utf8 << u"€"_qs;
    QTest::newRow("a lead byte without its end")
        << QByteArray("\xC3\n") << TextEncoding::Windows1252 << u"Ã"_qs;
    QTest::newRow("a sequence cut by the end of the file")
        << QByteArray("ab\xE2\x82") << TextEncoding::Windows1252 << u"ab\u00E2\u201A"_qs;
    QTest::newRow("windows-1252 after the first megabyte")
        << QByteArray("caf\xE9\n") << TextEncoding::Windows1252 << u"café"_qs;
}

void TableFileTest::encodingAcrossChunks() {
    QFETCH(QByteArray, tail);
    QFETCH(TextEncoding, encoding);
    QFETCH(QString, last);

    const qsizetype head = (qsizetype{1} << 20) - 1;
    OpenedTable table = OpenBytes(QByteArray(head - 1, 'a') + '\n' + tail);
    QVERIFY(table.reader);
    QCOMPARE(table.reader->Dialect().encoding, encoding);
    const QList<QStringList> rows = Texts(*table.reader);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.back(), QStringList{last});
}

QTEST_GUILESS_MAIN(TableFileTest)
#include "TableFileTest.moc"
