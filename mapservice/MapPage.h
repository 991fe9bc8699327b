#pragma once

#include "mapservice/Geocoder.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnel {

// The French UTF-8 page the map service answers with. It shows `query` as its heading and,
// when `place` is set, an OpenStreetMap map centred on it with a marker and the data credits
// (`source` names the geocoder that found it, empty when the query was itself a coordinate
// pair). Its head then carries, ahead of anything else the page holds,
//     viewport:{center:{lat:<lat>,lng:<lng>},span:{lat:<span>,lng:<span>}}
// with every value in plain decimals with a full stop and seven decimals, which is what the
// program's coordinate extraction reads. Without a place the page says nothing was found and
// holds no map. The query can never forge that arrangement: its braces are escaped.
QByteArray MapPageHtml(const QString& query, const std::optional<Place>& place,
                       const QString& source);

} // namespace tarnel
