#include "core/DroppedFiles.h"

#include <QMimeData>
#include <QUrl>

namespace tarnel {

QStringList LocalFilePaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.append(url.toLocalFile());
        }
    }
    return paths;
}

} // namespace tarnel
