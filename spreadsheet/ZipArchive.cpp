#include "spreadsheet/ZipArchive.h"

#include "spreadsheet/TableLimits.h"

#include <algorithm>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

namespace tarnel {

namespace {

constexpr qint64 kChunkBytes = 256 * 1024;

} // namespace

ZipArchive::ZipArchive(std::unique_ptr<QIODevice> device)
    : device_(std::move(device))
    , zip_(std::make_unique<QuaZip>(device_.get())) {
}

ZipArchive::~ZipArchive() {
    member_.reset();
    zip_->close();
}

bool ZipArchive::Fail(const QString& message) {
    if (error_.isEmpty()) {
        error_ = message;
    }
    member_.reset();
    return false;
}

bool ZipArchive::Open() {
    if (!zip_->open(QuaZip::mdUnzip)) {
        return Fail(QStringLiteral("Le classeur est endommagé : son contenu compressé ne peut "
                                   "pas être lu."));
    }
    return true;
}

bool ZipArchive::Has(const QString& name) {
    return zip_->setCurrentFile(name);
}

bool ZipArchive::OpenStream(const QString& name) {
    member_.reset();
    if (!zip_->setCurrentFile(name)) {
        return Fail(
            QStringLiteral("Le classeur est incomplet : la partie « %1 » manque.").arg(name));
    }
    QuaZipFileInfo64 info;
    if (!zip_->getCurrentFileInfo(&info)) {
        return Fail(QStringLiteral("Le classeur est endommagé (partie « %1 »).").arg(name));
    }
    const auto size = qint64(info.uncompressedSize);
    const auto packed = std::max<qint64>(1, qint64(info.compressedSize));
    if (size > kMaxZipMemberBytes || (size > kZipRatioFloorBytes && size / packed > kMaxZipRatio)) {
        return Fail(QStringLiteral("Le classeur se décompresse en une taille démesurée (%1 Mo "
                                   "pour la partie « %2 ») : il n'est pas ouvert.")
                        .arg(size >> 20)
                        .arg(name));
    }
    if ((info.flags & 1) != 0) {
        return Fail(QStringLiteral("Le classeur est chiffré : enregistrez-le sans mot de passe "
                                   "puis ouvrez-le de nouveau."));
    }
    member_ = std::make_unique<QuaZipFile>(zip_.get());
    if (!member_->open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("Le classeur est endommagé (partie « %1 »).").arg(name));
    }
    declared_ = size;
    given_ = 0;
    return true;
}

bool ZipArchive::ReadChunk(QByteArray& chunk) {
    chunk.clear();
    if (!member_) {
        return false;
    }
    chunk = member_->read(kChunkBytes);
    given_ += chunk.size();
    if (given_ > declared_ || given_ > kMaxZipMemberBytes) {
        return Fail(QStringLiteral("Le classeur se décompresse au-delà de la taille qu'il "
                                   "annonce : il n'est pas ouvert."));
    }
    if (chunk.isEmpty()) {
        const bool damaged = member_->getZipError() != UNZ_OK;
        member_->close();
        const bool crcWrong = member_->getZipError() != UNZ_OK;
        member_.reset();
        if (damaged || crcWrong) {
            return Fail(QStringLiteral("Le classeur est endommagé : une partie ne se décompresse "
                                       "pas entièrement."));
        }
        return false;
    }
    return true;
}

std::optional<QByteArray> ZipArchive::Read(const QString& name, qint64 limit) {
    if (!OpenStream(name)) {
        return std::nullopt;
    }
    if (declared_ > limit) {
        Fail(QStringLiteral("La partie « %1 » du classeur est trop volumineuse (%2 Mo).")
                 .arg(name)
                 .arg(declared_ >> 20));
        return std::nullopt;
    }
    QByteArray whole;
    QByteArray chunk;
    while (ReadChunk(chunk)) {
        whole += chunk;
    }
    if (!error_.isEmpty()) {
        return std::nullopt;
    }
    return whole;
}

} // namespace tarnel
