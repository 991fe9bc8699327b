#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

class QObject;
class QWebEngineProfile;

namespace tarnel {

// Room given to the map view's HTTP cache on disk.
inline constexpr int kMapCacheBytes = 200 * 1024 * 1024;

// The map view's browser profile: map tiles kept in an HTTP disk cache under `folder`, bounded
// by kMapCacheBytes and governed by the servers' caching headers, as OpenStreetMap's tile usage
// policy asks, so that a place seen before shows again without downloading it anew. Cookies are
// kept in memory only, never written, unless `service` (the run's map service,
// "http://127.0.0.1:<port>/maps?q=") is given: then only first-party cookies of its scheme and
// host, whatever the port, are kept, the map page's choice of base layer among them, so that the
// next run's service finds it; no other site may keep or read any. Its requests name the
// program: `agent` ("Tarnel/1.0.0 (+site; contact)") is added after the engine's own User-Agent,
// whose tokens are kept. Must outlive every page that uses it.
QWebEngineProfile* MakeMapViewProfile(const QString& folder, QObject* parent = nullptr,
                                      const QByteArray& agent = {}, const QUrl& service = {});

// "<the user's cache folder for Tarnel>/carte" (QStandardPaths' CacheLocation): where the
// program keeps the map view's cache.
QString MapViewCacheFolder();

} // namespace tarnel
