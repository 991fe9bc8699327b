#include "spreadsheet/CsvDialectDetection.h"

#include "core/Windows1252.h"

#include <QList>
#include <QStringDecoder>
#include <array>

namespace tarnel {

namespace {

constexpr int kSampleRecords = 50;
constexpr std::array<char16_t, 4> kSeparators = {u';', u',', u'\t', u'|'};

struct SampleRecord {
    int fields = 0;
    int quotedFields = 0;
    bool blank = true;
};

// The records of `text` split with `separator`, quotes honoured; the last one is left out when
// the text may stop in its middle.
QList<SampleRecord> SplitSample(QStringView text, QChar separator, bool complete) {
    QList<SampleRecord> records;
    SampleRecord record;
    bool inQuotes = false;
    bool fieldStart = true;
    for (qsizetype i = 0; i < text.size() && records.size() < kSampleRecords; ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    ++i;
                } else {
                    inQuotes = false;
                }
            }
            continue;
        }
        if (fieldStart && c == u'"') {
            inQuotes = true;
            ++record.quotedFields;
            record.blank = false;
            fieldStart = false;
        } else if (c == separator) {
            ++record.fields;
            record.blank = false;
            fieldStart = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            ++record.fields;
            if (!record.blank) {
                records.append(record);
            }
            record = {};
            fieldStart = true;
        } else {
            record.blank = false;
            fieldStart = false;
        }
    }
    if (complete && !record.blank && records.size() < kSampleRecords) {
        ++record.fields;
        records.append(record);
    }
    return records;
}

LineEnd FirstLineEnd(QStringView text) {
    bool inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            inQuotes = !inQuotes;
        } else if (!inQuotes && c == u'\n') {
            return LineEnd::Lf;
        } else if (!inQuotes && c == u'\r') {
            return i + 1 < text.size() && text[i + 1] == u'\n' ? LineEnd::CrLf : LineEnd::Cr;
        }
    }
    return LineEnd::CrLf;
}

QString DecodedHead(QByteArrayView head, TextEncoding encoding) {
    if (encoding == TextEncoding::Windows1252) {
        return FromWindows1252(head);
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    return decoder.decode(head);
}

} // namespace

TableDialect DetectCsvDialect(QByteArrayView head, bool validUtf8, bool complete) {
    TableDialect dialect;
    dialect.format = TableFormat::Csv;
    dialect.encoding = head.startsWith("\xEF\xBB\xBF") ? TextEncoding::Utf8WithBom
                       : validUtf8                     ? TextEncoding::Utf8
                                                       : TextEncoding::Windows1252;
    const QString text = DecodedHead(head, dialect.encoding);
    dialect.lineEnd = FirstLineEnd(text);

    double bestShare = 0;
    int bestFields = 1;
    for (const char16_t separator : kSeparators) {
        const QList<SampleRecord> records = SplitSample(text, separator, complete);
        if (records.isEmpty() || records.first().fields < 2) {
            continue;
        }
        const int fields = records.first().fields;
        qsizetype same = 0;
        for (const SampleRecord& record : records) {
            same += record.fields == fields ? 1 : 0;
        }
        const double share = double(same) / double(records.size());
        if (share > bestShare || (share == bestShare && fields > bestFields)) {
            bestShare = share;
            bestFields = fields;
            dialect.separator = separator;
        }
    }
    const QList<SampleRecord> records = SplitSample(text, dialect.separator, complete);
    dialect.quoteAll = !records.isEmpty();
    for (const SampleRecord& record : records) {
        dialect.quoteAll = dialect.quoteAll && record.quotedFields == record.fields;
    }
    return dialect;
}

} // namespace tarnel
