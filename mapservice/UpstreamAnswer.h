#pragma once

#include "mapservice/BoundedGet.h"
#include "mapservice/Geocoder.h"

#include <QByteArray>
#include <functional>

namespace tarnel {

// What a geocoder's answer comes to: its body read by `readBody` when one arrived, otherwise
// the reason there is none.
GeocodeResult ReadUpstream(const HttpAnswer& answer,
                           const std::function<GeocodeResult(const QByteArray&)>& readBody);

} // namespace tarnel
