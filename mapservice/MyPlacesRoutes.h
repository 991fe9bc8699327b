#pragma once

#include "places/PlaceFileImport.h"

#include <QString>
#include <cstddef>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace tarnel {

// The user's places as the map page sees and changes them, kept in the SQLite file at `path`
// (see PlaceStore), answered in JSON (UTF-8, never cached):
//   GET  /lieux             the places sorted by name (PlacesJson); the page filters them
//   POST /lieux/ajout       {"name", "latitude", "longitude", "address", "note"} → the place added
//   POST /lieux/nom         {"id", "name"} → the place renamed
//   POST /lieux/note        {"id", "note"} → the place with its new note
//   POST /lieux/suppression {"id"} → the place removed, as it was (what an undo sends back)
//   POST /lieux/retour      a place as PlaceJson gives it → the place put back under its id
//   POST /lieux/import      {"name": file name, "data": its bytes in base64, "skip": bool,
//                           "trial": bool, "routes": bool} → {"places", "duplicates", "added",
//                           "warnings"}: the file read as its extension says
//                           (ReadNamedPlaceBytes: GPX, KML, GeoJSON or a table, with its guards;
//                           the points of a GPX's routes and tracks too when `routes`), its places
//                           added in one transaction, those already in the list or earlier in the
//                           file left out when `skip`; nothing added on a trial
// A body that is not such a JSON object gets a 400, a write the store refuses a 409, both with
// {"error": "<French sentence>"}, and the list stays as it was. Requests are taken one at a
// time, each on a store of its own (a store is bound to its thread).
class MyPlacesRoutes {
public:
    explicit MyPlacesRoutes(QString path);

    // The largest body a write takes: a place file of kMaxPlaceFileBytes in base64.
    static constexpr size_t kLargestBody = kMaxPlaceFileBytes / 3 * 4 + 64 * 1024;

    // Whether the service answers `path` here, and whether it is one of the writes (POST only).
    static bool Serves(const std::string& path);
    static bool Writes(const std::string& path);

    // The largest body `path` takes: 16 KiB for a place, kLargestBody for an import, 0 for
    // what is not a write.
    static size_t LargestBody(const std::string& path);

    void Register(httplib::Server& server);

private:
    void Import(const httplib::Request& request, httplib::Response& response);

    QString path_;
    std::mutex turn_;
};

} // namespace tarnel
