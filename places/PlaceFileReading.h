#pragma once

#include "places/Place.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tarnel {

// The places read from a file, in the file's order, with French warnings on what was left
// aside (other geometries, unnamed points). When `problem` is set, the file was refused and
// `places` is empty.
struct PlaceFileReading {
    QList<Place> places;
    QStringList warnings;
    QString problem;
};

} // namespace tarnel
