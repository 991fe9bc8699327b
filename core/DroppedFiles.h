#pragma once

#include <QStringList>

class QMimeData;

namespace tarnel {

// The local files among what was dragged, as paths in their order; empty when none is (text,
// web addresses).
QStringList LocalFilePaths(const QMimeData* data);

} // namespace tarnel
