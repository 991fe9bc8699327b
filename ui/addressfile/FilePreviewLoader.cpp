#include "ui/addressfile/FilePreviewLoader.h"

#include "addressfile/BatchJournal.h"

#include <QDateTime>
#include <QFileInfo>

namespace tarnel {

FilePreviewLoader::FilePreviewLoader(const QString& path, qsizetype most, const QString& journal,
                                     QObject* parent)
    : QObject(parent) {
    thread_ = std::thread([this, path, most, journal] {
        const FilePreview preview = ReadFilePreview(path, most);
        qsizetype unfinished = 0;
        if (preview.error.isEmpty()) {
            const QFileInfo info(path);
            BatchJournal opened(journal);
            unfinished = opened.RowsLeftDone(info.canonicalFilePath(), info.size(),
                                             info.lastModified().toMSecsSinceEpoch());
        }
        QMetaObject::invokeMethod(
            this, [this, preview, unfinished] { emit Loaded(preview, unfinished); },
            Qt::QueuedConnection);
    });
}

FilePreviewLoader::~FilePreviewLoader() {
    thread_.join();
}

} // namespace tarnel
