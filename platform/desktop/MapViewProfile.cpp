#include "platform/desktop/MapViewProfile.h"

#include <QDir>
#include <QStandardPaths>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace tarnel {

QWebEngineProfile* MakeMapViewProfile(const QString& folder, QObject* parent,
                                      const QByteArray& agent) {
    // A storage name makes the profile a disk-based one; its paths are then set to the folder.
    auto* profile = new QWebEngineProfile(QStringLiteral("carte"), parent);
    profile->setCachePath(QDir(folder).filePath(QStringLiteral("cache")));
    profile->setPersistentStoragePath(QDir(folder).filePath(QStringLiteral("profil")));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setHttpCacheMaximumSize(kMapCacheBytes);
    // The one cookie kept is the map page's choice of base layer, set by the program's own
    // service; no other site may keep or read any.
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->cookieStore()->setCookieFilter(
        [](const QWebEngineCookieStore::FilterRequest& request) {
            return !request.thirdParty && request.origin.host() == QLatin1String("127.0.0.1");
        });
    if (!agent.isEmpty()) {
        profile->setHttpUserAgent(profile->httpUserAgent() + u' ' + QString::fromLatin1(agent));
    }
    return profile;
}

QString MapViewCacheFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation))
        .filePath(QStringLiteral("carte"));
}

} // namespace tarnel
