#pragma once

#include "mapservice/MapPage.h"

namespace httplib {
struct Response;
} // namespace httplib

namespace tarnel {

// Answers with what the map page needs to redraw itself for another search without a new page
// (see MapPageHtml for the page the same content makes), a JSON object (UTF-8, never cached):
//     {"query":…,"heading":…,"place":{"lat":…,"lng":…}|null,"label":…,"source":…,
//      "others":[{"label":…,"lat":…,"lng":…},…],"message":…,"absence":true|false,
//      "viewport":…}
// `heading` is PageHeading, `message` PageMessage (empty with a place), `absence` whether it
// tells of a failed search (MessageTellsAbsence), `viewport` the page head's arrangement
// (ViewportArrangement), empty without a place. Texts are plain text, for the page to show as
// such.
void ServePlace(httplib::Response& response, const MapPageContent& content);

} // namespace tarnel
