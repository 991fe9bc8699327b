#include "spreadsheet/CsvWriter.h"

#include "core/Windows1252.h"

namespace tarnel {

namespace {

bool StartsFormula(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    const QChar c = text.front();
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

} // namespace

CsvWriter::CsvWriter(const TableDialect& dialect)
    : dialect_(dialect) {
}

bool CsvWriter::Begin(QIODevice& device) {
    device_ = &device;
    return dialect_.encoding != TextEncoding::Utf8WithBom || device.write("\xEF\xBB\xBF") == 3;
}

QString CsvWriter::FieldText(const Cell& cell) const {
    QString text = cell.text;
    bool quote = dialect_.quoteAll;
    if (cell.kind == Cell::Kind::Number) {
        text.replace(u'.', dialect_.DecimalMark());
    } else if (cell.kind == Cell::Kind::ForeignText && StartsFormula(text)) {
        text.prepend(u'\'');
        quote = true;
    }
    quote = quote || text.contains(dialect_.separator) || text.contains(u'"') ||
            text.contains(u'\n') || text.contains(u'\r');
    if (!quote) {
        return text;
    }
    text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

QString CsvWriter::RowText(const Row& row) const {
    QString line;
    for (qsizetype i = 0; i < row.size(); ++i) {
        if (i > 0) {
            line += dialect_.separator;
        }
        line += FieldText(row[i]);
    }
    switch (dialect_.lineEnd) {
    case LineEnd::CrLf:
        return line + QStringLiteral("\r\n");
    case LineEnd::Lf:
        return line + u'\n';
    case LineEnd::Cr:
        return line + u'\r';
    }
    return line;
}

bool CsvWriter::Write(const Row& row) {
    const QString text = RowText(row);
    const QByteArray bytes =
        dialect_.encoding == TextEncoding::Windows1252 ? ToWindows1252(text) : text.toUtf8();
    return device_ != nullptr && device_->write(bytes) == bytes.size();
}

bool CsvWriter::Finish() {
    return device_ != nullptr;
}

} // namespace tarnel
