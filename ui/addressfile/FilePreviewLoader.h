#pragma once

#include "ui/addressfile/FilePreview.h"

#include <QObject>
#include <QString>
#include <thread>

namespace tarnel {

// Reads the preview of a file, and how much of it a run left unfinished, on a thread of its
// own: a large file is read whole once to tell its encoding, which the window does not wait
// for. The result comes as Loaded on the loader's thread, queued.
class FilePreviewLoader : public QObject {
    Q_OBJECT
public:
    // Starts reading `path` (ReadFilePreview, `most` rows), then asks the journal at `journal`
    // for the rows an unfinished run of it has done.
    FilePreviewLoader(const QString& path, qsizetype most, const QString& journal,
                      QObject* parent = nullptr);
    // Waits for the reading to end.
    ~FilePreviewLoader() override;

signals:
    void Loaded(const tarnel::FilePreview& preview, qsizetype unfinishedRows);

private:
    std::thread thread_;
};

} // namespace tarnel
