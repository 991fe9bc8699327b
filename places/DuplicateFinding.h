#pragma once

#include "places/SavedPlace.h"

#include <QList>

namespace tarnel {

// Two places are the same when they bear the same name (blanks around aside) and lie within a
// metre of each other.
constexpr double kSamePlaceMetres = 1.0;

// A place to import that is already there: in the list (`storedId`), or earlier in the same
// file (`earlierIndex`, -1 otherwise).
struct Duplicate {
    qsizetype index = 0;
    qint64 storedId = 0;
    qsizetype earlierIndex = -1;
};

// The places of `incoming` (by index, in order) that are the same as one of `stored` or as an
// earlier one of `incoming`; a place matching both is reported against the list.
QList<Duplicate> FindDuplicates(const QList<SavedPlace>& incoming, const QList<SavedPlace>& stored);

} // namespace tarnel
