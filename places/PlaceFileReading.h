#pragma once

#include "places/SavedPlace.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tarnel {

// The places read from a file, in the file's order, with French warnings on what was left
// aside (other geometries, unnamed points). When `problem` is set, the file was refused and
// `places` is empty.
struct PlaceFileReading {
    QList<SavedPlace> places;
    QStringList warnings;
    QString problem;
};

// The warning that `count` things were left aside, `one` and `many` naming them (masculine) in
// the singular and the plural: "1 repère sans point a été laissé de côté", "3 repères sans
// point ont été laissés de côté"; then `why`, if any, and a full stop. Nothing when `count` is
// 0.
QStringList LeftAsideWarning(qsizetype count, const QString& one, const QString& many,
                             const QString& why = {});

} // namespace tarnel
