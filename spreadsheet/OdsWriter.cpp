#include "spreadsheet/OdsWriter.h"

#include "spreadsheet/XmlEscape.h"

namespace tarnel {

namespace {

const QByteArray kMimeType = "application/vnd.oasis.opendocument.spreadsheet";

QByteArray Manifest() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:"
           "manifest:1.0\" manifest:version=\"1.2\"><manifest:file-entry "
           "manifest:full-path=\"/\" manifest:version=\"1.2\" manifest:media-type=\"" +
           kMimeType +
           "\"/><manifest:file-entry manifest:full-path=\"content.xml\" "
           "manifest:media-type=\"text/xml\"/></manifest:manifest>";
}

// The paragraphs of a cell's text, its spaces beyond the first of a run and its tabs as the
// elements that keep them.
QString Paragraphs(const QString& text) {
    QString xml;
    for (const QString& line : text.split(u'\n')) {
        xml += QStringLiteral("<text:p>");
        qsizetype i = 0;
        while (i < line.size()) {
            if (line[i] == u'\t') {
                xml += QStringLiteral("<text:tab/>");
                ++i;
                continue;
            }
            if (line[i] == u' ') {
                qsizetype run = 0;
                while (i + run < line.size() && line[i + run] == u' ') {
                    ++run;
                }
                // A single space between words stays a space; one at the start, or a run,
                // needs the element.
                const bool plain = i > 0 && run == 1;
                xml += plain ? QStringLiteral(" ")
                             : QStringLiteral("<text:s text:c=\"%1\"/>").arg(run);
                i += run;
                continue;
            }
            const qsizetype start = i;
            while (i < line.size() && line[i] != u'\t' && line[i] != u' ') {
                ++i;
            }
            xml += XmlEscaped(QStringView(line).sliced(start, i - start));
        }
        xml += QStringLiteral("</text:p>");
    }
    return xml;
}

} // namespace

OdsWriter::OdsWriter(const QString& sheetName)
    : sheetName_(sheetName.isEmpty() ? QStringLiteral("Feuille1") : sheetName) {
}

bool OdsWriter::Begin(QIODevice& device) {
    return zip_.Begin(device) && zip_.Add(QStringLiteral("mimetype"), kMimeType, true) &&
           zip_.StartMember(QStringLiteral("content.xml")) &&
           zip_.Append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
                       "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                       "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                       "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                       "office:version=\"1.2\"><office:body><office:spreadsheet>"
                       "<table:table table:name=\"" +
                       XmlEscaped(sheetName_).toUtf8() + "\">");
}

bool OdsWriter::Write(const Row& row) {
    QString xml = QStringLiteral("<table:table-row>");
    for (const Cell& cell : row) {
        bool isNumber = false;
        if (cell.kind == Cell::Kind::Number) {
            cell.text.toDouble(&isNumber);
        }
        if (cell.text.isEmpty()) {
            xml += QStringLiteral("<table:table-cell/>");
        } else if (isNumber) {
            xml += QStringLiteral("<table:table-cell office:value-type=\"float\" office:value=\"") +
                   XmlEscaped(cell.text) + QStringLiteral("\"><text:p>") + XmlEscaped(cell.text) +
                   QStringLiteral("</text:p></table:table-cell>");
        } else {
            xml += QStringLiteral("<table:table-cell office:value-type=\"string\">") +
                   Paragraphs(cell.text) + QStringLiteral("</table:table-cell>");
        }
    }
    if (row.isEmpty()) {
        xml += QStringLiteral("<table:table-cell/>");
    }
    xml += QStringLiteral("</table:table-row>");
    return zip_.Append(xml.toUtf8());
}

bool OdsWriter::Finish() {
    return zip_.Append("</table:table></office:spreadsheet></office:body>"
                       "</office:document-content>") &&
           zip_.Add(QStringLiteral("META-INF/manifest.xml"), Manifest()) && zip_.Finish();
}

} // namespace tarnel
