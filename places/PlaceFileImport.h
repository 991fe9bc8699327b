#pragma once

#include "core/PointExport.h"
#include "places/PlaceFileReading.h"

#include <QByteArray>
#include <QString>

namespace tarnel {

// SavedPlace files larger than this are refused before being read: 10,000 waypoints of a GPS
// program take about 3 MB, a whole country's POIs less than this.
constexpr qint64 kMaxPlaceFileBytes = 64 * 1024 * 1024;

// The places of the file at `path`, read as its extension says (".gpx", ".kml", ".geojson",
// ".json", and the tables ".csv", ".xlsx", ".ods", any case; see ReadGpxPlaces, ReadKmlPlaces,
// ReadGeoJsonPlaces, ReadTablePlaces). Refused with a French sentence naming the file when the
// extension is none of them, the file cannot be read, is larger than kMaxPlaceFileBytes (nothing
// beyond that is read, whatever its size or its lines), holds no point, or its reader refuses
// it. The file is only read.
PlaceFileReading ReadPlaceFile(const QString& path, bool routeAndTrackPoints);

// The same on bytes already read, in `format` (GenericAsc is refused).
PlaceFileReading ReadPlaceBytes(const QByteArray& bytes, ExportFormat format,
                                bool routeAndTrackPoints);

// ReadPlaceFile on `bytes`, the content of a file called `name` read elsewhere (sent by the map
// page), refused with the same sentences.
PlaceFileReading ReadNamedPlaceBytes(const QString& name, const QByteArray& bytes,
                                     bool routeAndTrackPoints);

} // namespace tarnel
