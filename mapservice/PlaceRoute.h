#pragma once

#include "mapservice/MapPage.h"

#include <QByteArray>

namespace httplib {
struct Response;
} // namespace httplib

namespace tarnel {

// What the map page needs to redraw itself for another search without a new page (see
// MapPageHtml for the page the same content makes), as a JSON object:
//     {"query":…,"heading":…,"place":{"lat":…,"lng":…}|null,"label":…,"source":…,
//      "others":[{"label":…,"lat":…,"lng":…},…],"message":…,"absence":true|false,
//      "viewport":…}
// `heading` is PageHeading, `message` PageMessage (empty with a place), `absence` whether it
// tells of a failed search (MessageTellsAbsence), `viewport` the page head's arrangement
// (ViewportArrangement), empty without a place. Texts are plain text, for the page to show as
// such.
QByteArray PlaceJson(const MapPageContent& content);

// Answers with PlaceJson(content): UTF-8, never cached.
void ServePlace(httplib::Response& response, const MapPageContent& content);

} // namespace tarnel
