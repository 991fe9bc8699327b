#pragma once

#include <QString>

namespace tarnel {

// The map service base URL of `host` ("name" or "name:port"): "http://<host>/maps?q=", to which
// a map query value is appended.
QString MapServiceBaseUrl(const QString& host);

// A typed text as it goes into a query value: as typed, but for "#", "&" and "?", which would
// end the value, split it or start another query on their way to the service, and so are
// percent-encoded ("%23", "%26", "%3F").
QString QueryValueText(const QString& typed);

// Map query URL of a search by address: the non-empty parts, each of the first three followed
// by ",+". Texts go in as typed (see QueryValueText).
QString AddressQueryUrl(const QString& baseUrl, const QString& street, const QString& city,
                        const QString& state, const QString& zipCode);

// The value a search by address remembers: every separator present, also around empty parts.
QString AddressSavedValue(const QString& street, const QString& city, const QString& state,
                          const QString& zipCode);

// Map query URL of a search by coordinates: latitude, "%2C", longitude, as typed (see
// QueryValueText).
QString CoordinateQueryUrl(const QString& baseUrl, const QString& latitude,
                           const QString& longitude);

// The value a search by coordinates remembers: latitude, a plain comma, longitude.
QString CoordinateSavedValue(const QString& latitude, const QString& longitude);

} // namespace tarnel
