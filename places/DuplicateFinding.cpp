#include "places/DuplicateFinding.h"

#include <QHash>
#include <cmath>
#include <numbers>

namespace tarnel {

namespace {

// Distance in metres on the mean Earth sphere (haversine): within a metre, as good as the
// ellipsoid.
double DistanceMetres(const SavedPlace& a, const SavedPlace& b) {
    constexpr double kRadius = 6371008.8; // mean Earth radius (IUGG)
    constexpr double kRadian = std::numbers::pi / 180;
    const double dLat = (b.latitude - a.latitude) * kRadian;
    const double dLon = (b.longitude - a.longitude) * kRadian;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(a.latitude * kRadian) * std::cos(b.latitude * kRadian) *
                         std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kRadius * std::asin(std::min(1.0, std::sqrt(h)));
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
