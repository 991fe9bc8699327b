#include "core/CoordinateForms.h"

namespace tarnel {

QList<CoordinateForm> CoordinateForms(double latitude, double longitude) {
    return {{QStringLiteral("dd"), QStringLiteral("Degrés décimaux"),
             QStringLiteral("%1, %2").arg(QString::number(latitude, 'f', 7),
                                          QString::number(longitude, 'f', 7))}};
}

} // namespace tarnel
