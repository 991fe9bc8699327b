#include "spreadsheet/XlsxWriter.h"

#include "spreadsheet/XmlEscape.h"

#include <QRegularExpression>

namespace tarnel {

namespace {

constexpr qsizetype kMaxCellCharacters = 32767;
const QByteArray kXmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const QByteArray kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray kRelationNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

QByteArray ContentTypes() {
    return kXmlDeclaration +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
           "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
           "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
           "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/></Types>";
}

QByteArray Relation(const char* id, const char* type, const char* target) {
    return QByteArray("<Relationship Id=\"") + id + "\" Type=\"" + kRelationNs + '/' + type +
           "\" Target=\"" + target + "\"/>";
}

QByteArray Relations(const QByteArray& inner) {
    return kXmlDeclaration +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
           "relationships\">" +
           inner + "</Relationships>";
}

QByteArray Workbook(const QString& sheetName) {
    return kXmlDeclaration + "<workbook xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelationNs +
           "\"><sheets><sheet name=\"" + XmlEscaped(sheetName).toUtf8() +
           "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
}

QByteArray Styles() {
    return kXmlDeclaration + "<styleSheet xmlns=\"" + kMainNs +
           "\"><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill>"
           "<patternFill patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border>"
           "<left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" "
           "fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles count=\"1\">"
           "<cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";
}

QString SheetName(const QString& name) {
    QString cleaned = name;
    cleaned.remove(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")));
    cleaned = cleaned.left(31).trimmed();
    return cleaned.isEmpty() ? QStringLiteral("Feuille1") : cleaned;
}

} // namespace

XlsxWriter::XlsxWriter(const QString& sheetName)
    : sheetName_(SheetName(sheetName)) {
}

QString XlsxWriter::ColumnName(qsizetype column) {
    QString name;
    for (qsizetype n = column + 1; n > 0; n = (n - 1) / 26) {
        name.prepend(QChar(char16_t(u'A' + (n - 1) % 26)));
    }
    return name;
}

bool XlsxWriter::Begin(QIODevice& device) {
    return zip_.Begin(device) && zip_.StartMember(QStringLiteral("xl/worksheets/sheet1.xml")) &&
           zip_.Append(kXmlDeclaration + "<worksheet xmlns=\"" + kMainNs + "\"><sheetData>");
}

bool XlsxWriter::Write(const Row& row) {
    const QString number = QString::number(++rows_);
    QString xml = QStringLiteral("<row r=\"") + number + QStringLiteral("\">");
    for (qsizetype i = 0; i < row.size(); ++i) {
        const Cell& cell = row[i];
        if (cell.text.isEmpty()) {
            continue;
        }
        const QString reference = ColumnName(i) + number;
        bool isNumber = false;
        if (cell.kind == Cell::Kind::Number) {
            cell.text.toDouble(&isNumber);
        }
        if (isNumber) {
            xml += QStringLiteral("<c r=\"") + reference + QStringLiteral("\"><v>") +
                   XmlEscaped(cell.text) + QStringLiteral("</v></c>");
        } else {
            xml += QStringLiteral("<c r=\"") + reference +
                   QStringLiteral("\" t=\"inlineStr\"><is><t xml:space=\"preserve\">") +
                   XmlEscaped(QStringView(cell.text).left(kMaxCellCharacters)) +
                   QStringLiteral("</t></is></c>");
        }
    }
    xml += QStringLiteral("</row>");
    return zip_.Append(xml.toUtf8());
}

bool XlsxWriter::Finish() {
    return zip_.Append("</sheetData></worksheet>") &&
           zip_.Add(QStringLiteral("[Content_Types].xml"), ContentTypes()) &&
           zip_.Add(QStringLiteral("_rels/.rels"),
                    Relations(Relation("rId1", "officeDocument", "xl/workbook.xml"))) &&
           zip_.Add(QStringLiteral("xl/workbook.xml"), Workbook(sheetName_)) &&
           zip_.Add(QStringLiteral("xl/_rels/workbook.xml.rels"),
                    Relations(Relation("rId1", "worksheet", "worksheets/sheet1.xml") +
                              Relation("rId2", "styles", "styles.xml"))) &&
           zip_.Add(QStringLiteral("xl/styles.xml"), Styles()) && zip_.Finish();
}

} // namespace tarnel
