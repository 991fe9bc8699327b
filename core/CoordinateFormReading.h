#pragma once

#include "core/GeoPoint.h"

#include <QStringView>
#include <optional>

namespace tarnel {

// Reads back the text of the form `key` ("dd", "dms", "ddm", "l93", "cc", "utm", "mgrs") as
// CoordinateForms writes it, also typed loosely (blanks, a decimal comma in the metres, the
// hemisphere letters of ReadAngle). Nothing for another key, a text not in that form, or a
// point outside the form's area; what comes out always lies on Earth.
std::optional<GeoPoint> ReadCoordinateForm(QStringView key, QStringView text);

} // namespace tarnel
