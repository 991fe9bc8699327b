#pragma once

#include <QString>

namespace tarnel {

// "http://<host>/maps?q=" for the host the program was built for. Empty when the program
// was built to start its own map service, whose address is known only at run time.
QString BuiltInMapServiceBaseUrl();

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
