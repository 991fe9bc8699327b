// Fuzz target of a place file reader: ReadGpxPlaces, ReadKmlPlaces or ReadGeoJsonPlaces, as
// TARNEL_PLACE_FORMAT (Gpx, Kml or GeoJson) chooses when it is built, through ReadPlaceBytes
// (route and track points included).
//
// Checked on every input, besides no crash, no sanitizer report and no hang on nested or
// entity-laden input:
// - refused, the reading holds a French sentence and neither places nor warnings;
// - read, every place lies on Earth (latitude in [-90, 90], longitude in [-180, 180]) and its
//   altitude, when there is one, is a finite number;
// - the places written back in the same format (PlacesFileBytes) read back as as many places,
//   with exactly the same coordinates (a longitude of 180 as -180) and altitudes.

#include "fuzz/FuzzSupport.h"
#include "places/PlaceExport.h"
#include "places/PlaceFileImport.h"

#include <cmath>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr ExportFormat format = ExportFormat::TARNEL_PLACE_FORMAT;
    const PlaceFileReading reading = ReadPlaceBytes(
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), format, true);
    if (!reading.problem.isEmpty()) {
        Require(reading.places.isEmpty() && reading.warnings.isEmpty(),
                "a refused file gives neither places nor warnings", reading.problem);
        return 0;
    }
    for (const SavedPlace& place : reading.places)
        Require(std::abs(place.latitude) <= 90 && std::abs(place.longitude) <= 180 &&
                    (!place.altitude || std::isfinite(*place.altitude)),
                "every place lies on Earth, its altitude a number", Shown(place.name));
    const PlaceFileReading again =
        ReadPlaceBytes(*PlacesFileBytes(format, reading.places), format, false);
    Require(again.problem.isEmpty() && again.places.size() == reading.places.size(),
            "the places written back read back as many", again.problem);
    for (qsizetype i = 0; i < again.places.size(); ++i) {
        const SavedPlace& before = reading.places[i];
        const SavedPlace& after = again.places[i];
        Require(after.latitude == before.latitude &&
                    after.longitude == (before.longitude == 180 ? -180 : before.longitude) &&
                    after.altitude == before.altitude,
                "the places written back keep their coordinates", Shown(before.name));
    }
    return 0;
}
