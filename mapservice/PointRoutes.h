#pragma once

#include "geocoding/NearestAddressFinder.h"

#include <QByteArray>
#include <QString>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

namespace tarnel {

// The map page's questions about a point it was shown, answered in JSON (UTF-8, never cached):
// "GET /point?lat=&lon=" gives the point written in every form (CoordinateForms),
// {"forms":[{"key":…,"name":…,"text":…},…]}; "GET /adresse?lat=&lon=" gives the address nearest
// to it (AddressJson). A point that cannot be read or lies off Earth gets a 400 with
// {"error":"<French sentence>"}.
void ServePoint(const httplib::Request& request, httplib::Response& response);
void ServeAddress(const httplib::Request& request, httplib::Response& response,
                  NearestAddressFinder& addresses);

// {"status": "found"|"none"|"unreachable"|"refused"|"failed"|"off", "message": <French sentence
// for the panel>}, and when found "label", "street", "city", "postcode", "country",
// "distance" (metres, to the decimetre) and "source" after them.
QByteArray AddressJson(const AddressAnswer& answer);

// "12 m" below a kilometre, "1,2 km" above, as the panel writes a distance.
QString DistanceText(double metres);

} // namespace tarnel
