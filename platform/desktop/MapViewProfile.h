#pragma once

#include <QString>

class QObject;
class QWebEngineProfile;

namespace tarnel {

// Room given to the map view's HTTP cache on disk.
inline constexpr int kMapCacheBytes = 200 * 1024 * 1024;

// The map view's browser profile: map tiles kept in an HTTP disk cache under `folder`, bounded
// by kMapCacheBytes and governed by the servers' caching headers, as OpenStreetMap's tile usage
// policy asks, so that a place seen before shows again without downloading it anew. Cookies
// are kept in memory only, never written. Must outlive every page that uses it.
QWebEngineProfile* MakeMapViewProfile(const QString& folder, QObject* parent = nullptr);

// "<the user's cache folder for Tarnel>/carte" (QStandardPaths' CacheLocation): where the
// program keeps the map view's cache.
QString MapViewCacheFolder();

} // namespace tarnel
