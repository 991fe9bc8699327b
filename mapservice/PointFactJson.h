#pragma once

#include "geocoding/AltitudeService.h"
#include "geocoding/CommuneService.h"
#include "geocoding/ParcelService.h"

#include <QByteArray>
#include <optional>

namespace tarnel {

// The panel's answers about a point's altitude, commune and parcel, each
// {"status": "found"|"none"|"unreachable"|"refused"|"failed"|"off", "message": <French sentence
// for the panel>, "source": <who answers>} and when found the fact's parts after them. No fact
// (std::nullopt) is "off": that service is switched off.

// Found: "metres" (to the centimetre); « Altitude : 35,2 m (RGE ALTI®, IGN) ».
QByteArray AltitudeJson(const std::optional<PointAltitude>& altitude);
// Found: "name", "code", "departmentName", "departmentCode", "postcodes" (array);
// « Commune : Versailles (INSEE 78646), Yvelines (78), code postal 78000 ».
QByteArray CommuneJson(const std::optional<PointCommune>& commune);
// Found: "idu", "prefix", "section", "number", "commune", "area" (m², absent when unknown);
// « Parcelle : 000 AX 0001 (Loctudy), 7 185 m² ».
QByteArray ParcelJson(const std::optional<CadastralParcel>& parcel);

} // namespace tarnel
