#pragma once

#include <QString>

namespace tarnel {

// The map service base URL of `host` ("name" or "name:port"): "http://<host>/maps?q=", to which
// a map query value is appended.
QString MapServiceBaseUrl(const QString& host);

// Map query URL of a search by address: the non-empty parts, each of the first three followed
// by ",+". Texts go in exactly as typed.
QString AddressQueryUrl(const QString& baseUrl, const QString& street, const QString& city,
                        const QString& state, const QString& zipCode);

// The value a search by address remembers: every separator present, also around empty parts.
QString AddressSavedValue(const QString& street, const QString& city, const QString& state,
                          const QString& zipCode);

// Map query URL of a search by coordinates: latitude, "%2C", longitude, as typed.
QString CoordinateQueryUrl(const QString& baseUrl, const QString& latitude,
                           const QString& longitude);

// The value a search by coordinates remembers: latitude, a plain comma, longitude.
QString CoordinateSavedValue(const QString& latitude, const QString& longitude);

} // namespace tarnel
