#include "spreadsheet/CsvReader.h"

#include "core/Windows1252.h"
#include "spreadsheet/TableLimits.h"

namespace tarnel {

namespace {

constexpr qint64 kChunkBytes = 64 * 1024;

} // namespace

CsvReader::CsvReader(std::unique_ptr<QIODevice> device, const TableDialect& dialect)
    : device_(std::move(device))
    , decoder_(QStringDecoder::Utf8) {
    dialect_ = dialect;
}

bool CsvReader::Fill() {
    while (position_ >= buffer_.size()) {
        const QByteArray bytes = device_->read(kChunkBytes);
        if (bytes.isEmpty()) {
            return false;
        }
        buffer_ = dialect_.encoding == TextEncoding::Windows1252 ? FromWindows1252(bytes)
                                                                 : decoder_.decode(bytes);
        position_ = 0;
        if (!bomChecked_ && !buffer_.isEmpty()) {
            bomChecked_ = true;
            position_ = buffer_.startsWith(QChar(0xFEFF)) ? 1 : 0;
        }
    }
    return true;
}

bool CsvReader::AtEnd() {
    return position_ >= buffer_.size() && !Fill();
}

bool CsvReader::ReadRow(Row& row) {
    if (AtEnd()) {
        return false;
    }
    const qint64 firstLine = line_;
    const QChar separator = dialect_.separator;
    qsizetype characters = 0;
    QString field;
    bool quoted = false;
    bool fieldStart = true;
    auto tooLong = [&] {
        return Fail(QStringLiteral("La ligne %1 du fichier est trop longue (plus de %2 caractères) "
                                   "ou a trop de colonnes : ce n'est sans doute pas un tableau.")
                        .arg(firstLine)
                        .arg(kMaxRowCharacters));
    };
    auto endField = [&] {
        row.append(Cell{field, Cell::Kind::Text});
        field.clear();
        fieldStart = true;
        quoted = false;
        return row.size() <= kMaxTableColumns;
    };
    while (!AtEnd()) {
        const QChar c = Take();
        if (++characters > kMaxRowCharacters) {
            return tooLong();
        }
        if (quoted) {
            if (c == u'"') {
                if (!AtEnd() && Peek() == u'"') {
                    Take();
                    field += u'"';
                } else {
                    quoted = false;
                }
            } else {
                line_ += c == u'\n' || (c == u'\r' && (AtEnd() || Peek() != u'\n')) ? 1 : 0;
                field += c;
            }
            continue;
        }
        if (fieldStart && c == u'"') {
            quoted = true;
            fieldStart = false;
        } else if (c == separator) {
            if (!endField()) {
                return tooLong();
            }
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && !AtEnd() && Peek() == u'\n') {
                Take();
            }
            ++line_;
            lastRowEnded_ = true;
            return endField() || tooLong();
        } else {
            field += c;
            fieldStart = false;
        }
    }
    if (quoted) {
        return Fail(QStringLiteral("Un guillemet ouvert à la ligne %1 du fichier n'est jamais "
                                   "refermé : le fichier est sans doute incomplet.")
                        .arg(firstLine));
    }
    lastRowEnded_ = false;
    return endField() || tooLong();
}

} // namespace tarnel
