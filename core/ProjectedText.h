#pragma once

#include "core/ConicProjection.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace tarnel {

// "X = 648237.45 m ; Y = 6862271.69 m": metres to 1 cm, full stops.
QString ProjectedText(const ProjectedPoint& xy);

// "CC49 : X = 1652110.90 m ; Y = 8209786.28 m".
QString CcText(int zone, const ProjectedPoint& xy);

// Reads ProjectedText's form back: "X", "Y", "=" or ":", "m" and ";" are optional, blanks
// free, decimals with a full stop or a comma. Nothing when the text is not that form.
std::optional<ProjectedPoint> ReadProjectedText(QStringView text);

// Reads CcText's form back: the zone and its metres.
struct CcReading {
    int zone = 0;
    ProjectedPoint xy;
};
std::optional<CcReading> ReadCcText(QStringView text);

} // namespace tarnel
