#pragma once

#include "core/GeoPoint.h"
#include "spreadsheet/Cell.h"

#include <QString>
#include <QtGlobal>
#include <optional>

namespace tarnel {

// Which columns of a table of places hold what, told from its header row in French or English,
// case, accents, underscores and hyphens set aside; -1 for a column the table lacks. A header
// is taken when it is one of the words below, else (for a column not found so) when its first
// word is, so that "Latitude (WGS84)" and "coordonnees_gps" are found; the earlier word of a
// list wins over a later one ("lat" over "y"), then the leftmost column.
//   latitude: latitude, lat, y          longitude: longitude, lon, lng, long, x
//   coordinates: coordonnées, coordinates, position, geo point, geo point 2d
//   name: nom, name, titre, title, libellé    note: note, description, desc, commentaire,
//   comment    address: adresse, address      altitude: altitude, alt, ele, elevation
struct PlaceColumns {
    qsizetype latitude = -1;
    qsizetype longitude = -1;
    qsizetype coordinates = -1;
    qsizetype name = -1;
    qsizetype note = -1;
    qsizetype address = -1;
    qsizetype altitude = -1;

    // Whether the table tells where its places are: a latitude and a longitude column, or a
    // coordinates column.
    bool Located() const { return (latitude >= 0 && longitude >= 0) || coordinates >= 0; }

    // The point of `row` (see ReadCoordinateCells, ReadCoordinateCell), from the latitude and
    // longitude columns when the table has both, else from its coordinates column.
    std::optional<GeoPoint> PointOf(const Row& row) const;

    // The trimmed text of `row` in `column`, empty when the row is shorter or `column` is -1.
    static QString Text(const Row& row, qsizetype column);
};

PlaceColumns FindPlaceColumns(const Row& header);

} // namespace tarnel
