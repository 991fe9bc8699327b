#include "core/CoordinateForms.h"

#include "core/AngleText.h"
#include "core/ConicProjection.h"
#include "core/ProjectedText.h"
#include "core/UtmGrid.h"

#include <cmath>

namespace tarnel {

namespace {

// Seven decimals; a value that rounds to zero is written without a minus.
QString Decimal(double degrees) {
    return QString::number(std::abs(degrees) < 5e-8 ? 0.0 : degrees, 'f', 7);
}

} // namespace

QList<CoordinateForm> CoordinateForms(double latitude, double longitude) {
    const GeoPoint point{latitude, longitude};
    if (!OnEarth(point)) {
        return {};
    }
    QList<CoordinateForm> forms{
        {QStringLiteral("dd"), QStringLiteral("Degrés décimaux"),
         QStringLiteral("%1, %2").arg(Decimal(latitude), Decimal(longitude))},
        {QStringLiteral("dms"), QStringLiteral("Degrés, minutes, secondes"),
         DmsAngleText(latitude, Axis::Latitude) + u' ' + DmsAngleText(longitude, Axis::Longitude)},
        {QStringLiteral("ddm"), QStringLiteral("Degrés et minutes décimales"),
         DdmAngleText(latitude, Axis::Latitude) + u' ' + DdmAngleText(longitude, Axis::Longitude)},
    };
    if (const auto lambert = ToConic(kLambert93, point)) {
        forms.append({QStringLiteral("l93"), QStringLiteral("Lambert 93 (EPSG:2154)"),
                      ProjectedText(*lambert)});
    }
    if (const int zone = CcZoneFor(latitude); zone != 0) {
        if (const auto cc = ToConic(CcEpsg(zone), point)) {
            forms.append({QStringLiteral("cc"),
                          QStringLiteral("Lambert CC%1 (EPSG:%2)").arg(zone).arg(CcEpsg(zone)),
                          CcText(zone, *cc)});
        }
    }
    if (const auto utm = ToUtm(point)) {
        forms.append({QStringLiteral("utm"), QStringLiteral("UTM (WGS 84)"), UtmText(*utm)});
    }
    if (const QString mgrs = MgrsText(point); !mgrs.isEmpty()) {
        forms.append({QStringLiteral("mgrs"), QStringLiteral("MGRS"), mgrs});
    }
    return forms;
}

} // namespace tarnel
