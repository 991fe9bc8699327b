#include "spreadsheet/XlsxReader.h"

#include "spreadsheet/ExcelDate.h"
#include "spreadsheet/TableLimits.h"

#include <QHash>
#include <QXmlStreamReader>

namespace tarnel {

namespace {

const QString kDamaged = QStringLiteral("Le classeur Excel est endommagé : %1.");

// The attribute `name` among `attributes`, whatever its prefix.
QString Attribute(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (attribute.name() == name) {
            return attribute.value().toString();
        }
    }
    return {};
}

// The zip path a relation target names, seen from the folder of the part holding it.
QString ResolvedTarget(const QString& folder, const QString& target) {
    if (target.startsWith(u'/')) {
        return target.mid(1);
    }
    QStringList parts = folder.isEmpty() ? QStringList() : folder.split(u'/');
    for (const QString& part : target.split(u'/')) {
        if (part == u"..") {
            if (!parts.isEmpty()) {
                parts.removeLast();
            }
        } else if (part != u"." && !part.isEmpty()) {
            parts.append(part);
        }
    }
    return parts.join(u'/');
}

// Relation id → target, and type suffix → target, of a .rels part.
struct Relations {
    QHash<QString, QString> byId;
    QHash<QString, QString> byType;
};

Relations ReadRelations(const QByteArray& bytes, const QString& folder) {
    Relations relations;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship") {
            const QString target = ResolvedTarget(folder, Attribute(xml.attributes(), u"Target"));
            relations.byId.insert(Attribute(xml.attributes(), u"Id"), target);
            relations.byType.insert(Attribute(xml.attributes(), u"Type").section(u'/', -1), target);
        }
    }
    return relations;
}

QString Folder(const QString& path) {
    return path.contains(u'/') ? path.section(u'/', 0, -2) : QString();
}

// The zero-based column of a reference such as "AB12"; nothing when it has no letters.
std::optional<qsizetype> ColumnOf(QStringView reference) {
    qsizetype column = 0;
    qsizetype letters = 0;
    for (const QChar c : reference) {
        const char16_t u = c.toUpper().unicode();
        if (u < u'A' || u > u'Z') {
            break;
        }
        column = column * 26 + (u - u'A' + 1);
        if (++letters > 3) {
            return std::nullopt;
        }
    }
    return letters == 0 ? std::nullopt : std::optional<qsizetype>(column - 1);
}

bool IsEmptyRow(const Row& row) {
    for (const Cell& cell : row) {
        if (!cell.text.isEmpty()) {
            return false;
        }
    }
    return true;
}

} // namespace

XlsxReader::XlsxReader(std::unique_ptr<QIODevice> device)
    : zip_(std::move(device)) {
    dialect_.format = TableFormat::Xlsx;
}

bool XlsxReader::Load() {
    if (!zip_.Open()) {
        return Fail(zip_.Error());
    }
    QString workbookPath = QStringLiteral("xl/workbook.xml");
    const QString rootRelations = QStringLiteral("_rels/.rels");
    if (zip_.Has(rootRelations)) {
        const auto root = zip_.Read(rootRelations, kMaxHeldPartBytes);
        if (!root) {
            return Fail(zip_.Error());
        }
        workbookPath =
            ReadRelations(*root, {}).byType.value(QStringLiteral("officeDocument"), workbookPath);
    }
    const auto workbook = zip_.Read(workbookPath, kMaxHeldPartBytes);
    if (!workbook) {
        return Fail(zip_.Error());
    }
    const QString folder = Folder(workbookPath);
    const QString relationsPath =
        ResolvedTarget(folder, QStringLiteral("_rels/") + workbookPath.section(u'/', -1) +
                                   QStringLiteral(".rels"));
    const auto relationBytes = zip_.Read(relationsPath, kMaxHeldPartBytes);
    if (!relationBytes) {
        return Fail(zip_.Error());
    }
    const Relations relations = ReadRelations(*relationBytes, folder);

    QString sheetId;
    QXmlStreamReader xml(*workbook);
    while (!xml.atEnd() && sheetId.isEmpty()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"workbookPr") {
            const QString date1904 = Attribute(xml.attributes(), u"date1904");
            from1904_ = date1904 == u"1" || date1904 == u"true";
        } else if (xml.name() == u"sheet") {
            sheetId = Attribute(xml.attributes(), u"id");
            dialect_.sheetName = Attribute(xml.attributes(), u"name");
        }
    }
    const QString sheetPath = relations.byId.value(sheetId);
    if (sheetPath.isEmpty()) {
        return Fail(kDamaged.arg(QStringLiteral("sa première feuille est introuvable")));
    }
    const QString sharedPath = relations.byType.value(QStringLiteral("sharedStrings"));
    if (!sharedPath.isEmpty() && zip_.Has(sharedPath) && !LoadSharedStrings(sharedPath)) {
        return false;
    }
    const QString stylesPath = relations.byType.value(QStringLiteral("styles"));
    if (!stylesPath.isEmpty() && zip_.Has(stylesPath) && !LoadStyles(stylesPath)) {
        return false;
    }
    sheet_.emplace(zip_, sheetPath);
    return zip_.Error().isEmpty() || Fail(zip_.Error());
}

bool XlsxReader::LoadSharedStrings(const QString& path) {
    StreamedXml xml(zip_, path);
    QString text;
    qsizetype characters = 0;
    int inPhonetic = 0;
    bool inText = false;
    for (;;) {
        switch (xml.Next()) {
        case QXmlStreamReader::StartElement:
            if (xml.Xml().name() == u"si") {
                text.clear();
            } else if (xml.Xml().name() == u"rPh") {
                ++inPhonetic;
            } else if (xml.Xml().name() == u"t") {
                inText = inPhonetic == 0;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (xml.Xml().name() == u"si") {
                shared_.append(text);
                characters += text.size();
                if (shared_.size() > kMaxSharedTexts || characters > kMaxSharedCharacters) {
                    return Fail(kDamaged.arg(QStringLiteral("il a trop de textes")));
                }
            } else if (xml.Xml().name() == u"rPh") {
                --inPhonetic;
            } else if (xml.Xml().name() == u"t") {
                inText = false;
            }
            break;
        case QXmlStreamReader::Characters:
            if (inText) {
                text += xml.Xml().text();
                if (text.size() > kMaxRowCharacters) {
                    return Fail(kDamaged.arg(QStringLiteral("un texte est démesuré")));
                }
            }
            break;
        case QXmlStreamReader::EndDocument:
            return true;
        case QXmlStreamReader::Invalid:
            return Fail(xml.Error());
        default:
            break;
        }
    }
}

bool XlsxReader::LoadStyles(const QString& path) {
    const auto bytes = zip_.Read(path, kMaxHeldPartBytes);
    if (!bytes) {
        return Fail(zip_.Error());
    }
    QHash<int, QString> codes;
    bool inCellFormats = false;
    QXmlStreamReader xml(*bytes);
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs") {
            break;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"numFmt") {
            codes.insert(Attribute(xml.attributes(), u"numFmtId").toInt(),
                         Attribute(xml.attributes(), u"formatCode"));
        } else if (xml.name() == u"cellXfs") {
            inCellFormats = true;
        } else if (inCellFormats && xml.name() == u"xf") {
            const int id = Attribute(xml.attributes(), u"numFmtId").toInt();
            dateStyles_.append(IsDateFormat(id, codes.value(id)));
        }
    }
    return true;
}

Cell XlsxReader::CellValue(const QString& type, int style, const QString& value) const {
    if (type == u"s") {
        bool ok = false;
        const qsizetype index = value.toLongLong(&ok);
        return {ok && index >= 0 && index < shared_.size() ? shared_[index] : QString(),
                Cell::Kind::Text};
    }
    if (type == u"b") {
        return {value == u"1" ? QStringLiteral("VRAI") : QStringLiteral("FAUX"), Cell::Kind::Text};
    }
    if (!type.isEmpty() && type != u"n") {
        return {value, Cell::Kind::Text};
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok) {
        return {value, Cell::Kind::Text};
    }
    if (style >= 0 && style < dateStyles_.size() && dateStyles_[style]) {
        if (const auto date = ExcelDateText(number, from1904_)) {
            return {*date, Cell::Kind::Text};
        }
    }
    return {QString::number(number, 'g', 15), Cell::Kind::Number};
}

bool XlsxReader::ParseCell(Row& row, qsizetype& nextColumn) {
    const QXmlStreamReader& xml = sheet_->Xml();
    const QXmlStreamAttributes attributes = xml.attributes();
    const auto column = ColumnOf(Attribute(attributes, u"r"));
    const qsizetype at = column.value_or(nextColumn);
    if (at < nextColumn || at >= kMaxTableColumns) {
        return Fail(kDamaged.arg(QStringLiteral("une cellule est hors de la feuille")));
    }
    const QString type = Attribute(attributes, u"t");
    bool styled = false;
    const int style = Attribute(attributes, u"s").toInt(&styled);
    QString value;
    QString inline_;
    bool inValue = false;
    bool inInlineText = false;
    int inPhonetic = 0;
    for (;;) {
        switch (sheet_->Next()) {
        case QXmlStreamReader::StartElement:
            inValue = xml.name() == u"v";
            inPhonetic += xml.name() == u"rPh" ? 1 : 0;
            inInlineText = xml.name() == u"t" && inPhonetic == 0;
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == u"c") {
                while (row.size() < at) {
                    row.append(Cell{});
                }
                row.append(type == u"inlineStr" ? Cell{inline_, Cell::Kind::Text}
                                                : CellValue(type, styled ? style : -1, value));
                nextColumn = at + 1;
                return true;
            }
            inPhonetic -= xml.name() == u"rPh" ? 1 : 0;
            inValue = false;
            inInlineText = false;
            break;
        case QXmlStreamReader::Characters:
            if (inValue) {
                value += xml.text();
            } else if (inInlineText) {
                inline_ += xml.text();
            }
            if (value.size() + inline_.size() > kMaxRowCharacters) {
                return Fail(kDamaged.arg(QStringLiteral("une cellule est démesurée")));
            }
            break;
        case QXmlStreamReader::Invalid:
        case QXmlStreamReader::EndDocument:
            return Fail(sheet_->Error());
        default:
            break;
        }
    }
}

bool XlsxReader::ParseNextRow() {
    for (;;) {
        const auto token = sheet_->Next();
        const QXmlStreamReader& xml = sheet_->Xml();
        if (token == QXmlStreamReader::Invalid) {
            return Fail(sheet_->Error());
        }
        if (token == QXmlStreamReader::EndDocument ||
            (token == QXmlStreamReader::EndElement && xml.name() == u"sheetData")) {
            return false;
        }
        if (token != QXmlStreamReader::StartElement || xml.name() != u"row") {
            continue;
        }
        bool numbered = false;
        const qsizetype number = Attribute(xml.attributes(), u"r").toLongLong(&numbered);
        const qsizetype at = numbered ? number : std::max(nextRow_, pendingNumber_ + 1);
        if (at < nextRow_ || at <= pendingNumber_ || at > kMaxTableRows) {
            return Fail(kDamaged.arg(QStringLiteral("une ligne est hors de la feuille")));
        }
        Row row;
        qsizetype nextColumn = 0;
        qsizetype characters = 0;
        for (;;) {
            const auto inner = sheet_->Next();
            if (inner == QXmlStreamReader::Invalid || inner == QXmlStreamReader::EndDocument) {
                return Fail(sheet_->Error());
            }
            if (inner == QXmlStreamReader::EndElement && xml.name() == u"row") {
                break;
            }
            if (inner == QXmlStreamReader::StartElement && xml.name() == u"c") {
                if (!ParseCell(row, nextColumn)) {
                    return false;
                }
                characters += row.last().text.size();
                if (characters > kMaxRowCharacters) {
                    return Fail(kDamaged.arg(QStringLiteral("une ligne est démesurée")));
                }
            }
        }
        pendingNumber_ = at;
        if (!IsEmptyRow(row)) {
            while (!row.isEmpty() && row.last().text.isEmpty()) {
                row.removeLast();
            }
            pending_ = row;
            return true;
        }
    }
}

bool XlsxReader::ReadRow(Row& row) {
    if (!loaded_) {
        loaded_ = true;
        if (!Load()) {
            return false;
        }
    }
    if (pending_.isEmpty() && !ParseNextRow()) {
        return false;
    }
    if (nextRow_++ < pendingNumber_) {
        return true;
    }
    row = std::move(pending_);
    pending_.clear();
    return true;
}

} // namespace tarnel
