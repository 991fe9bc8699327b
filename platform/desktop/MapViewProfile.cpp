#include "platform/desktop/MapViewProfile.h"

#include <QDir>
#include <QStandardPaths>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace tarnel {

QWebEngineProfile* MakeMapViewProfile(const QString& folder, QObject* parent,
                                      const QByteArray& agent, const QUrl& service) {
    // A storage name makes the profile a disk-based one; its paths are then set to the folder.
    auto* profile = new QWebEngineProfile(QStringLiteral("carte"), parent);
    profile->setCachePath(QDir(folder).filePath(QStringLiteral("cache")));
    profile->setPersistentStoragePath(QDir(folder).filePath(QStringLiteral("profil")));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile->setHttpCacheMaximumSize(kMapCacheBytes);
    if (service.isValid()) {
        // The map page's choice of base layer is a cookie of the service's host, whatever the
        // port of the run; no other site may keep or read one.
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        profile->cookieStore()->setCookieFilter(
            [scheme = service.scheme(),
             host = service.host()](const QWebEngineCookieStore::FilterRequest& request) {
                return !request.thirdParty && request.origin.scheme() == scheme &&
                       request.origin.host() == host;
            });
    } else {
        profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    }
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
