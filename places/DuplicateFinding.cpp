#include "places/DuplicateFinding.h"

#include "core/GeoDistance.h"

#include <QHash>

namespace tarnel {

namespace {

double DistanceMetres(const SavedPlace& a, const SavedPlace& b) {
    return DistanceInMetres({a.latitude, a.longitude}, {b.latitude, b.longitude});
}

} // namespace

QList<Duplicate> FindDuplicates(const QList<SavedPlace>& incoming,
                                const QList<SavedPlace>& stored) {
    // Only places of the same name are compared: by name, the stored ones, then the incoming
    // ones seen so far (as indexes).
    QHash<QString, QList<const SavedPlace*>> storedByName;
    for (const SavedPlace& place : stored)
        storedByName[place.name.trimmed()].append(&place);
    QHash<QString, QList<qsizetype>> seenByName;
    QList<Duplicate> duplicates;
    for (qsizetype i = 0; i < incoming.size(); ++i) {
        const SavedPlace& place = incoming[i];
        const QString name = place.name.trimmed();
        Duplicate duplicate{i, 0, -1};
        for (const SavedPlace* other : storedByName.value(name)) {
            if (DistanceMetres(place, *other) <= kSamePlaceMetres) {
                duplicate.storedId = other->id;
                break;
            }
        }
        if (duplicate.storedId == 0) {
            for (const qsizetype earlier : seenByName.value(name)) {
                if (DistanceMetres(place, incoming[earlier]) <= kSamePlaceMetres) {
                    duplicate.earlierIndex = earlier;
                    break;
                }
            }
        }
        if (duplicate.storedId != 0 || duplicate.earlierIndex >= 0)
            duplicates.append(duplicate);
        seenByName[name].append(i);
    }
    return duplicates;
}

} // namespace tarnel
