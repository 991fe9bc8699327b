#include "spreadsheet/TableFile.h"

#include "spreadsheet/CsvDialectDetection.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/OdsReader.h"
#include "spreadsheet/XlsxReader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <quazip.h>

namespace tarnel {

namespace {

constexpr qint64 kHeadBytes = 64 * 1024;
constexpr qint64 kChunkBytes = 1024 * 1024;

OpenedTable Refused(const QString& message) {
    return {nullptr, message};
}

// Whether the bytes look like text: no NUL, and few control characters other than tab, line
// breaks and form feed.
bool LooksLikeText(QByteArrayView head) {
    qsizetype controls = 0;
    for (const char c : head) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0) {
            return false;
        }
        controls +=
            byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' ? 1 : 0;
    }
    return controls * 100 <= head.size();
}

bool IsBlank(QByteArrayView head) {
    if (head.startsWith("\xEF\xBB\xBF")) {
        head = head.sliced(3);
    }
    for (const char c : head) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
}

// Whether every byte of the device reads as UTF-8; leaves it at its start. Checked a chunk at a
// time without decoding it, so that the check costs no more memory than a chunk.
bool IsValidUtf8(QIODevice& device) {
    QByteArray pending;
    bool valid = true;
    while (valid && !device.atEnd()) {
        const QByteArray chunk = device.read(kChunkBytes);
        if (chunk.isEmpty()) {
            break;
        }
        pending += chunk;
        // A sequence the next chunk completes is kept back: its continuation bytes (three at
        // most) and the byte that leads them.
        qsizetype cut = pending.size();
        while (cut > 0 && pending.size() - cut < 3 &&
               (static_cast<unsigned char>(pending.at(cut - 1)) & 0xC0) == 0x80) {
            --cut;
        }
        if (cut > 0 && static_cast<unsigned char>(pending.at(cut - 1)) >= 0xC0) {
            --cut;
        }
        valid = QByteArrayView(pending).first(cut).isValidUtf8();
        pending.remove(0, cut);
    }
    // A sequence cut by the end of the file is an error too.
    valid = valid && device.atEnd() && QByteArrayView(pending).isValidUtf8();
    device.seek(0);
    return valid;
}

// The kind of workbook a zip file holds, told from its parts.
OpenedTable OpenWorkbook(std::unique_ptr<QIODevice> device) {
    QStringList names;
    {
        QuaZip probe(device.get());
        probe.setAutoClose(false);
        if (probe.open(QuaZip::mdUnzip)) {
            names = probe.getFileNameList();
            probe.close();
        }
    }
    device->seek(0);
    if (names.contains(QStringLiteral("[Content_Types].xml")) &&
        names.filter(QStringLiteral("workbook")).size() > 0) {
        return {std::make_unique<XlsxReader>(std::move(device)), {}};
    }
    if (names.contains(QStringLiteral("content.xml"))) {
        return {std::make_unique<OdsReader>(std::move(device)), {}};
    }
    if (names.isEmpty()) {
        return Refused(QStringLiteral("Le classeur est endommagé : son contenu compressé ne "
                                      "peut pas être lu."));
    }
    return Refused(QStringLiteral("Ce fichier compressé n'est ni un classeur Excel (.xlsx) ni un "
                                  "classeur OpenDocument (.ods)."));
}

std::unique_ptr<QFile> OpenForReading(const QString& path, QString& error) {
    auto file = std::make_unique<QFile>(path);
    if (QFileInfo(path).isDir() || !file->open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Le fichier « %1 » ne peut pas être lu : %2.")
                    .arg(QFileInfo(path).fileName(), file->errorString());
        return nullptr;
    }
    return file;
}

} // namespace

OpenedTable OpenTable(std::unique_ptr<QIODevice> device) {
    const QByteArray head = device->peek(kHeadBytes);
    if (IsBlank(head)) {
        return Refused(QStringLiteral("Le fichier est vide."));
    }
    if (head.startsWith("\xD0\xCF\x11\xE0")) {
        return Refused(QStringLiteral(
            "Ce classeur est protégé par un mot de passe, ou enregistré au format Excel "
            "97-2003 (.xls) : ouvrez-le dans votre tableur et enregistrez-le sans mot de passe "
            "au format .xlsx, .ods ou .csv."));
    }
    if (head.startsWith("PK\x03\x04")) {
        return OpenWorkbook(std::move(device));
    }
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        return Refused(QStringLiteral(
            "Ce fichier est du texte Unicode (UTF-16) : enregistrez-le depuis votre tableur au "
            "format « CSV UTF-8 » ou « CSV (séparateur : point-virgule) »."));
    }
    if (!LooksLikeText(head)) {
        return Refused(QStringLiteral(
            "Ce fichier n'est ni un tableau CSV ni un classeur XLSX ou ODS : il contient des "
            "données binaires."));
    }
    const bool validUtf8 = IsValidUtf8(*device);
    const TableDialect dialect = DetectCsvDialect(head, validUtf8, head.size() < kHeadBytes);
    return {std::make_unique<CsvReader>(std::move(device), dialect), {}};
}

OpenedTable OpenTableFile(const QString& path) {
    QString error;
    std::unique_ptr<QFile> file = OpenForReading(path, error);
    return file ? OpenTable(std::move(file)) : Refused(error);
}

OpenedTable ReopenTableFile(const QString& path, const TableDialect& dialect) {
    if (dialect.format != TableFormat::Csv) {
        return OpenTableFile(path);
    }
    QString error;
    std::unique_ptr<QFile> file = OpenForReading(path, error);
    if (!file) {
        return Refused(error);
    }
    return {std::make_unique<CsvReader>(std::move(file), dialect), {}};
}

} // namespace tarnel
