// Fuzz target of the reader of places from tables (ReadTablePlaces): the first byte names the
// file's format (CSV, XLSX or ODS, as its extension would), the rest is the file.
//
// Checked on every input, besides no crash and no sanitizer report:
// - refused, the reading holds a French sentence and neither places nor warnings;
// - read, every place lies on Earth, has a name, and its altitude, when there is one, is a
//   finite number; at most one warning (the rows left out);
// - the places' coordinates written back as a plain CSV table of latitude and longitude read
//   back as as many places, at the same coordinates, each named after its row ("Ligne N").

#include "fuzz/FuzzSupport.h"
#include "places/TablePlaces.h"

#include <cmath>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    constexpr TableFormat kFormats[] = {TableFormat::Csv, TableFormat::Xlsx, TableFormat::Ods};
    const TableFormat named = kFormats[data[0] % 3];
    const PlaceFileReading reading = ReadTablePlaces(
        QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)), named);
    if (!reading.problem.isEmpty()) {
        Require(reading.places.isEmpty() && reading.warnings.isEmpty(),
                "a refused file gives neither places nor warnings", reading.problem);
        return 0;
    }
    Require(reading.warnings.size() <= 1, "one warning at most", reading.warnings.join(u'\n'));
    QByteArray table = "latitude,longitude\n";
    for (const SavedPlace& place : reading.places) {
        Require(std::abs(place.latitude) <= 90 && std::abs(place.longitude) <= 180 &&
                    !place.name.isEmpty() && (!place.altitude || std::isfinite(*place.altitude)),
                "every place lies on Earth and has a name, its altitude a number",
                Shown(place.name));
        table += QByteArray::number(place.latitude, 'f', 15) + ',' +
                 QByteArray::number(place.longitude, 'f', 15) + '\n';
    }
    if (reading.places.isEmpty())
        return 0;
    const PlaceFileReading again = ReadTablePlaces(table, TableFormat::Csv);
    Require(again.problem.isEmpty() && again.warnings.isEmpty() &&
                again.places.size() == reading.places.size(),
            "the coordinates written back read back as as many places", again.problem);
    for (qsizetype i = 0; i < again.places.size(); ++i) {
        const SavedPlace& before = reading.places[i];
        const SavedPlace& after = again.places[i];
        Require(std::abs(after.latitude - before.latitude) < 1e-12 &&
                    std::abs(after.longitude - before.longitude) < 1e-12 &&
                    after.name == QStringLiteral("Ligne %1").arg(i + 2),
                "the places written back keep their coordinates", Shown(before.name));
    }
    return 0;
}
