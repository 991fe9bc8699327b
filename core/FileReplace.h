#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace tarnel {

// Makes `path` hold exactly `bytes`: written to a new file in the same folder, flushed to disk
// and renamed over `path` only once whole, so that on any failure (full disk, size limit, no
// right to write) the previous file stays as it was and no partial file is left. A path that
// names something other than a regular file (a folder, a device, a pipe) is refused.
// True when the file now holds the bytes.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes);

// The same for contents too large to hold at once: `write` streams them onto the new file (a
// seekable device) and returns false to give up, which leaves `path` as it was.
bool ReplaceFileContents(const QString& path, const std::function<bool(QIODevice&)>& write);

} // namespace tarnel
