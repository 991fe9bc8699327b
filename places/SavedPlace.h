#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace tarnel {

// One of the user's places: WGS 84 decimal degrees (latitude in [-90, 90], longitude in
// [-180, 180]), the address found for it (empty when none), the user's note, the altitude in
// metres when known, and when it was added (UTC). `id` is the store's, 0 before it is stored.
struct SavedPlace {
    qint64 id = 0;
    QString name;
    double latitude = 0;
    double longitude = 0;
    QString address;
    QString note;
    std::optional<double> altitude;
    QDateTime added;
};

} // namespace tarnel
