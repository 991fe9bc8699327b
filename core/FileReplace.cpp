#include "core/FileReplace.h"

#include <QFileInfo>
#include <QSaveFile>

namespace tarnel {

bool ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    return ReplaceFileContents(
        path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); });
}

bool ReplaceFileContents(const QString& path, const std::function<bool(QIODevice&)>& write) {
    // Renaming over a device or a pipe would put a regular file in its place.
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile()) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    // commit() alone overlooks a failure of the buffered write it flushes (Qt 6.4): flush first,
    // and discard the new file when anything went wrong.
    if (!write(file) || !file.flush()) {
        file.cancelWriting();
    }
    return file.commit();
}

} // namespace tarnel
