#pragma once

#include "geocoding/Geocoder.h"
#include "mapservice/TileLayers.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace tarnel {

// Why a page shows no place.
enum class Absence {
    NotFound,     // the geocoders know no such place
    Unreachable,  // no geocoder could be reached
    Certificates, // the secure connection to a geocoder failed its certificate check
    Refused,      // a geocoder refused the request (usage limits)
    Failed,       // a geocoder answered something unreadable
    NoGeocoder,   // the configuration turned every geocoder off
};

// What a map page shows.
struct MapPageContent {
    QString query{};                 // what was asked, as decoded
    std::optional<Place> place{};    // the place shown, none when nothing was found
    QString source{};                // the geocoder that found it; empty for a coordinate pair
    QString label{};                 // the place's name as the geocoder gives it; may be empty
    std::vector<Candidate> others{}; // other places that fit what was typed equally well
    Absence why = Absence::NotFound; // why there is no place
    // A French explanation of input the service could not read (which box, which forms are
    // accepted); shown instead of AbsenceText(why) when set.
    QString problem{};
};

// The French sentence a page without a place shows for `why`.
QString AbsenceText(Absence why);

// The page's heading for `query`, as text: the query, or a word for an empty one.
QString PageHeading(const QString& query);

// The French sentence, as text, a page without a place shows: why nothing was found, or an
// invitation to search when nothing was asked. Empty when there is a place.
QString PageMessage(const MapPageContent& content);

// Whether PageMessage(content) tells of a failed search rather than inviting one.
bool MessageTellsAbsence(const MapPageContent& content);

// "viewport:{center:{lat:…,lng:…},span:{lat:…,lng:…}}" for `place`: the arrangement the
// program's coordinate extraction reads (see MapPageHtml).
QString ViewportArrangement(const Place& place);

// The French UTF-8 page the map service answers with. It shows `query` as its heading and a map
// the page's script draws with Leaflet on the base layers `tiles`, from the page data: a JSON
// object in <script type="application/json" id="tarnel-place">, every <, >, &, ', brace and line
// separator written as \uXXXX. When `place` is set the map is centred on it with a marker, and
// the page gives its coordinates, the other candidates and the data credits (`source` names the
// geocoder that found it, empty when the query was itself a coordinate pair); the elements of
// the message, the other candidates, the coordinates and the credits are there, hidden or empty,
// on every page, for the page's script to rewrite when a search moves it. Its head then
// carries, ahead of anything else the page holds,
//     viewport:{center:{lat:<lat>,lng:<lng>},span:{lat:<span>,lng:<span>}}
// with every value in plain decimals with a full stop and seven decimals, which is what the
// program's coordinate extraction reads. Without a place the page says why (`why`), shows France
// for picking a point, and holds no arrangement; an empty query invites a search instead. The
// query can never forge that arrangement: its braces are escaped in the markup and in the data.
QByteArray MapPageHtml(const MapPageContent& content,
                       const std::vector<TileLayer>& tiles = TileLayersOf());

} // namespace tarnel
