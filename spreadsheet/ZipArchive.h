#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>
#include <optional>

class QuaZip;
class QuaZipFile;

namespace tarnel {

// Reads the members of a zip file (an XLSX or ODS workbook) through QuaZip, one at a time,
// with the bounds of TableLimits.h: a member whose declared size is too large, or too large
// for its compressed size, is refused before it is opened (a zip bomb), and reading stops
// once a member has given more bytes than it declared. Faults are told in French by Error().
class ZipArchive {
public:
    explicit ZipArchive(std::unique_ptr<QIODevice> device);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // False when the bytes are not a zip file QuaZip can read.
    bool Open();
    bool Has(const QString& name);

    // A whole member of at most `limit` bytes; nothing when it is missing, too large or
    // damaged (Error() says which).
    std::optional<QByteArray> Read(const QString& name, qint64 limit);

    // Opens a member for ReadChunk; one member at a time.
    bool OpenStream(const QString& name);
    // The next bytes of the opened member into `chunk`; false at its end or on a fault.
    bool ReadChunk(QByteArray& chunk);

    QString Error() const { return error_; }

private:
    bool Fail(const QString& message);

    std::unique_ptr<QIODevice> device_;
    std::unique_ptr<QuaZip> zip_;
    std::unique_ptr<QuaZipFile> member_;
    qint64 declared_ = 0;
    qint64 given_ = 0;
    QString error_;
};

} // namespace tarnel
