#include "spreadsheet/OdsReader.h"

#include "spreadsheet/TableLimits.h"

#include <QXmlStreamReader>
#include <algorithm>

namespace tarnel {

namespace {

const QString kTableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString kOfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString kTextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString kDamaged = QStringLiteral("Le classeur OpenDocument est endommagé : %1.");

bool Is(const QXmlStreamReader& xml, const QString& ns, QStringView name) {
    return xml.name() == name && xml.namespaceUri() == ns;
}

// A cell's element, covered by a merged cell's or not.
bool IsCell(const QXmlStreamReader& xml) {
    return xml.namespaceUri() == kTableNs &&
           (xml.name() == u"table-cell" || xml.name() == u"covered-table-cell");
}

// A repeat count attribute: at least 1, and no more than `bound` (what the bounds allow).
qint64 Repeats(const QXmlStreamReader& xml, QLatin1String name, qint64 bound) {
    bool ok = false;
    const qint64 count = xml.attributes().value(kTableNs, name).toLongLong(&ok);
    return ok && count > 0 ? std::min(count, bound) : 1;
}

} // namespace

OdsReader::OdsReader(std::unique_ptr<QIODevice> device)
    : zip_(std::move(device)) {
    dialect_.format = TableFormat::Ods;
}

bool OdsReader::Load() {
    if (!zip_.Open()) {
        return Fail(zip_.Error());
    }
    content_.emplace(zip_, QStringLiteral("content.xml"));
    for (;;) {
        const auto token = content_->Next();
        if (token == QXmlStreamReader::Invalid) {
            return Fail(content_->Error());
        }
        if (token == QXmlStreamReader::EndDocument) {
            return Fail(kDamaged.arg(QStringLiteral("il n'a aucune feuille")));
        }
        if (token == QXmlStreamReader::StartElement && Is(content_->Xml(), kTableNs, u"table")) {
            dialect_.sheetName =
                content_->Xml().attributes().value(kTableNs, QLatin1String("name")).toString();
            return true;
        }
    }
}

bool OdsReader::ParseText(QString& text) {
    // Inside a cell: paragraphs, their spans and links, spaces, tabs and breaks; the cell's
    // end closes it.
    const QXmlStreamReader& xml = content_->Xml();
    int paragraphs = 0;
    int skipped = 0;
    for (;;) {
        const auto token = content_->Next();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument) {
            return Fail(content_->Error());
        }
        if (token == QXmlStreamReader::EndElement) {
            if (skipped > 0) {
                skipped -= Is(xml, kOfficeNs, u"annotation") ? 1 : 0;
            } else if (IsCell(xml)) {
                return true;
            }
            continue;
        }
        if (token == QXmlStreamReader::StartElement) {
            if (Is(xml, kOfficeNs, u"annotation")) {
                ++skipped;
            } else if (skipped > 0) {
                continue;
            } else if (Is(xml, kTextNs, u"p") || Is(xml, kTextNs, u"h")) {
                text += paragraphs++ > 0 ? QStringLiteral("\n") : QString();
            } else if (Is(xml, kTextNs, u"s")) {
                bool ok = false;
                const qint64 count =
                    xml.attributes().value(kTextNs, QLatin1String("c")).toLongLong(&ok);
                text += QString(qsizetype(ok ? std::clamp<qint64>(count, 1, 1000) : 1), u' ');
            } else if (Is(xml, kTextNs, u"tab")) {
                text += u'\t';
            } else if (Is(xml, kTextNs, u"line-break")) {
                text += u'\n';
            }
        } else if (token == QXmlStreamReader::Characters && skipped == 0) {
            text += xml.text();
        }
        if (text.size() > kMaxRowCharacters) {
            return Fail(kDamaged.arg(QStringLiteral("une cellule est démesurée")));
        }
    }
}

bool OdsReader::ParseCell(Row& row, qint64& emptyCells) {
    const QXmlStreamReader& xml = content_->Xml();
    const qint64 repeats =
        Repeats(xml, QLatin1String("number-columns-repeated"), kMaxTableColumns + 1);
    const QString type = xml.attributes().value(kOfficeNs, QLatin1String("value-type")).toString();
    const QString value = xml.attributes().value(kOfficeNs, QLatin1String("value")).toString();
    QString text;
    if (!ParseText(text)) {
        return false;
    }
    Cell cell{text, Cell::Kind::Text};
    bool isNumber = false;
    const double number = value.toDouble(&isNumber);
    if (isNumber && (type == u"float" || type == u"percentage" || type == u"currency")) {
        cell = {QString::number(number, 'g', 15), Cell::Kind::Number};
    }
    if (cell.text.isEmpty()) {
        emptyCells += repeats;
        return true;
    }
    if (row.size() + emptyCells + repeats > kMaxTableColumns) {
        return Fail(kDamaged.arg(QStringLiteral("une ligne a trop de colonnes")));
    }
    row.append(Row(qsizetype(emptyCells), Cell{}));
    row.append(Row(qsizetype(repeats), cell));
    emptyCells = 0;
    return true;
}

bool OdsReader::ParseRow(Row& row) {
    const QXmlStreamReader& xml = content_->Xml();
    qint64 emptyCells = 0;
    qsizetype characters = 0;
    qsizetype counted = 0;
    for (;;) {
        const auto token = content_->Next();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument) {
            return Fail(content_->Error());
        }
        if (token == QXmlStreamReader::EndElement && Is(xml, kTableNs, u"table-row")) {
            return true;
        }
        if (token != QXmlStreamReader::StartElement || !IsCell(xml)) {
            continue;
        }
        if (!ParseCell(row, emptyCells)) {
            return false;
        }
        for (; counted < row.size(); ++counted) {
            characters += row[counted].text.size();
        }
        if (characters > kMaxRowCharacters) {
            return Fail(kDamaged.arg(QStringLiteral("une ligne est démesurée")));
        }
    }
}

bool OdsReader::ParseNextRow() {
    const QXmlStreamReader& xml = content_->Xml();
    for (;;) {
        const auto token = content_->Next();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument) {
            return Fail(content_->Error());
        }
        if (token == QXmlStreamReader::EndElement && Is(xml, kTableNs, u"table")) {
            return false;
        }
        if (token != QXmlStreamReader::StartElement || !Is(xml, kTableNs, u"table-row")) {
            continue;
        }
        const qint64 repeats =
            Repeats(xml, QLatin1String("number-rows-repeated"), kMaxTableRows + 1);
        Row row;
        if (!ParseRow(row)) {
            return false;
        }
        if (row.isEmpty()) {
            emptyRows_ += repeats;
            if (emptyRows_ > kMaxTableRows * 4) {
                emptyRows_ = kMaxTableRows * 4;
            }
            continue;
        }
        if (rowsGiven_ + emptyRows_ + repeats > kMaxTableRows) {
            return Fail(kDamaged.arg(QStringLiteral("la feuille a trop de lignes")));
        }
        pending_ = row;
        pendingRepeats_ = repeats;
        return true;
    }
}

bool OdsReader::ReadRow(Row& row) {
    if (!loaded_) {
        loaded_ = true;
        if (!Load()) {
            return false;
        }
    }
    if (pendingRepeats_ == 0 && !ParseNextRow()) {
        return false;
    }
    ++rowsGiven_;
    if (emptyRows_ > 0) {
        --emptyRows_;
        return true;
    }
    row = pending_;
    if (--pendingRepeats_ == 0) {
        pending_.clear();
    }
    return true;
}

} // namespace tarnel
