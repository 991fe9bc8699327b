#pragma once

#include <QByteArray>
#include <QString>

class QObject;
class QWebEngineProfile;

namespace tarnel {

// Room given to the map view's HTTP cache on disk.
inline constexpr int kMapCacheBytes = 200 * 1024 * 1024;

// The map view's browser profile: map tiles kept in an HTTP disk cache under `folder`, bounded
// by kMapCacheBytes and governed by the servers' caching headers, as OpenStreetMap's tile usage
// policy asks, so that a place seen before shows again without downloading it anew. Only the
// program's own service (127.0.0.1, whatever its port) may keep cookies, and only first-party
// ones: the map page's choice of base layer, kept from one run to the next. Its requests name
// the program: `agent` ("Tarnel/1.0.0 (+site; contact)") is
// added after the engine's own User-Agent, whose tokens are kept. Must outlive every page that
// uses it.
QWebEngineProfile* MakeMapViewProfile(const QString& folder, QObject* parent = nullptr,
                                      const QByteArray& agent = {});

// "<the user's cache folder for Tarnel>/carte" (QStandardPaths' CacheLocation): where the
// program keeps the map view's cache.
QString MapViewCacheFolder();

} // namespace tarnel
