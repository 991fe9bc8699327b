#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>

class QuaZip;
class QuaZipFile;

namespace tarnel {

// Writes a zip file (an XLSX or ODS workbook) onto a device through QuaZip, one member at a
// time; the device is left open for its owner to complete.
class ZipWriter {
public:
    ZipWriter();
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    bool Begin(QIODevice& device);
    // Starts member `name`, compressed unless `stored` (the ODS "mimetype" must not be).
    bool StartMember(const QString& name, bool stored = false);
    bool Append(const QByteArray& bytes);
    bool Add(const QString& name, const QByteArray& bytes, bool stored = false);
    bool Finish();

private:
    bool EndMember();

    std::unique_ptr<QuaZip> zip_;
    std::unique_ptr<QuaZipFile> member_;
};

} // namespace tarnel
