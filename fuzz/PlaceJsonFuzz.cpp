// Fuzz target of the places the map page sends to the service (PlaceFromJson, PlaceIdFromJson),
// read from any JSON the bytes make.
//
// Checked on every input, besides no crash and no sanitizer report:
// - an id read is a whole number from 1 to 2^53;
// - a place read has a name without blanks around it, and an id and a valid time only when read
//   as a stored place;
// - written back (PlaceJson), it reads back as the same place.

#include "fuzz/FuzzSupport.h"
#include "places/PlaceJson.h"

#include <QJsonDocument>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)))
            .object();
    if (const auto id = PlaceIdFromJson(json.value(QLatin1String("id"))))
        Require(*id >= 1 && *id <= (qint64(1) << 53), "id out of its range");
    for (const bool stored : {false, true}) {
        const auto place = PlaceFromJson(json, stored);
        if (!place)
            continue;
        Require(place->name == place->name.trimmed(), "name with blanks around");
        Require(stored ? place->id >= 1 && place->added.isValid()
                       : place->id == 0 && !place->added.isValid(),
                "id or time where they do not belong");
        if (!stored)
            continue;
        const auto back = PlaceFromJson(PlaceJson(*place), true);
        Require(back && back->name == place->name && back->address == place->address &&
                    back->note == place->note && back->id == place->id &&
                    back->added == place->added && back->altitude == place->altitude &&
                    back->latitude == place->latitude && back->longitude == place->longitude,
                "not read back as written");
    }
    return 0;
}
