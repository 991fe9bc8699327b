#pragma once

#include "mapservice/MapService.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tarnel {

// Names of the settings, in the file's [geocoders] section and in the environment.
inline constexpr auto kFranceUrlVariable = "TARNEL_GEOCODER_FRANCE_URL";
inline constexpr auto kWorldUrlVariable = "TARNEL_GEOCODER_WORLD_URL";
inline constexpr auto kContactVariable = "TARNEL_CONTACT";
inline constexpr auto kFranceReverseUrlVariable = "TARNEL_GEOCODER_FRANCE_REVERSE_URL";
inline constexpr auto kWorldReverseUrlVariable = "TARNEL_GEOCODER_WORLD_REVERSE_URL";
inline constexpr auto kFranceCsvUrlVariable = "TARNEL_GEOCODER_FRANCE_CSV_URL";
inline constexpr auto kAltitudeUrlVariable = "TARNEL_ALTITUDE_URL";
inline constexpr auto kCommuneUrlVariable = "TARNEL_COMMUNE_URL";
inline constexpr auto kParcelUrlVariable = "TARNEL_PARCEL_URL";

// The geocoders the built-in map service asks, so that the operators of a service can have it
// switched or stopped without a new release. Starts from the defaults, then takes the keys
// "france", "world", "france-reverse", "world-reverse" (the reverse searches that find the
// address nearest to a point of the map) and "contact" of the [geocoders] section of the INI
// file `configFile` (read
// only, never written; a missing file changes nothing), then the environment variables above,
// each overriding what came before even when empty. A reverse search that neither sets follows
// its search: off when the search is off, ".../reverse" beside a search ending in "/search", the
// default otherwise; the geocoding of files ("france-csv") follows the French search the same
// way, ".../search/csv" beside ".../search". An empty URL turns that geocoder off; so
// does a URL that is not http or https with a host and without query or fragment, with a French
// line added to `warnings`. The keys "altitude", "commune" and "parcel" and their variables
// above set the services the panel asks about a point's altitude, commune and parcel, each on
// its own, checked and turned off the same way. The [carte] section's keys "osm", "plan" and
// "ortho" replace the tile URL templates of the map's base layers (empty: that layer is left out;
// one that is not http or https with {z}, {x} and {y} is left out with a French line added to
// `warnings`).
GeocoderEndpoints ReadGeocoderConfig(const QString& configFile,
                                     const QProcessEnvironment& environment, QStringList& warnings);

// "<the user's configuration folder for Tarnel>/tarnel.conf" (QStandardPaths'
// AppConfigLocation): where ReadGeocoderConfig is pointed in a normal run.
QString GeocoderConfigFile();

} // namespace tarnel
