#include "spreadsheet/ZipWriter.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>
#include <zlib.h>

namespace tarnel {

ZipWriter::ZipWriter() = default;

ZipWriter::~ZipWriter() {
    member_.reset();
    if (zip_) {
        zip_->close();
    }
}

bool ZipWriter::Begin(QIODevice& device) {
    zip_ = std::make_unique<QuaZip>(&device);
    zip_->setAutoClose(false);
    return zip_->open(QuaZip::mdCreate);
}

bool ZipWriter::EndMember() {
    if (!member_) {
        return true;
    }
    member_->close();
    const bool ok = member_->getZipError() == ZIP_OK;
    member_.reset();
    return ok;
}

bool ZipWriter::StartMember(const QString& name, bool stored) {
    if (!zip_ || !EndMember()) {
        return false;
    }
    member_ = std::make_unique<QuaZipFile>(zip_.get());
    QuaZipNewInfo info(name);
    info.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    return member_->open(QIODevice::WriteOnly, info, nullptr, 0, stored ? 0 : Z_DEFLATED,
                         stored ? Z_NO_COMPRESSION : Z_DEFAULT_COMPRESSION);
}

bool ZipWriter::Append(const QByteArray& bytes) {
    return member_ && member_->write(bytes) == bytes.size();
}

bool ZipWriter::Add(const QString& name, const QByteArray& bytes, bool stored) {
    return StartMember(name, stored) && Append(bytes) && EndMember();
}

bool ZipWriter::Finish() {
    if (!zip_ || !EndMember()) {
        return false;
    }
    zip_->close();
    const bool ok = zip_->getZipError() == ZIP_OK;
    zip_.reset();
    return ok;
}

} // namespace tarnel
