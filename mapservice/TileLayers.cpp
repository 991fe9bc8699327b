#include "mapservice/TileLayers.h"

#include <QStringList>
#include <QUrl>

namespace tarnel {

namespace {

// The credits each source's terms ask for: the OpenStreetMap Foundation's attribution
// guidelines, and the IGN's Licence Ouverte (Etalab 2.0) which asks that the source be named.
const QString kOsmCredit = QStringLiteral(
    "<a href=\"https://www.openstreetmap.org/copyright\">\u00A9 contributeurs OpenStreetMap</a>");
const QString kIgnCredit = QStringLiteral(
    "<a href=\"https://www.ign.fr/\">\u00A9 IGN</a> \u2013 G\u00E9oplateforme, "
    "<a href=\"https://www.etalab.gouv.fr/licence-ouverte-open-licence/\">Licence Ouverte</a>");

QUrl Parsed(const QString& url) {
    return QUrl(url, QUrl::TolerantMode);
}

} // namespace

std::vector<TileLayer> TileLayersOf(const TileUrls& urls) {
    std::vector<TileLayer> layers;
    const auto add = [&layers](const QString& id, const QString& name, const QString& url,
                               const QString& credit) {
        if (UsableTileUrl(url)) {
            layers.push_back({id, name, url, credit, 19});
        }
    };
    add(QStringLiteral("osm"), QStringLiteral("OpenStreetMap"), urls.osm, kOsmCredit);
    add(QStringLiteral("plan"), QStringLiteral("Plan IGN"), urls.plan, kIgnCredit);
    add(QStringLiteral("ortho"), QStringLiteral("Photographies aériennes IGN"), urls.ortho,
        kIgnCredit);
    return layers;
}

QString TileOrigins(const std::vector<TileLayer>& layers) {
    QStringList origins;
    for (const TileLayer& layer : layers) {
        const QUrl url = Parsed(layer.url);
        const QString origin = url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery |
                                            QUrl::RemoveFragment | QUrl::RemoveUserInfo)
                                   .toString();
        if (!origins.contains(origin)) {
            origins.append(origin);
        }
    }
    return origins.join(u' ');
}

bool UsableTileUrl(const QString& url) {
    const QUrl parsed = Parsed(url);
    const QString scheme = parsed.scheme().toLower();
    return parsed.isValid() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !parsed.host().isEmpty() && url.contains(QLatin1String("{z}")) &&
           url.contains(QLatin1String("{x}")) && url.contains(QLatin1String("{y}"));
}

} // namespace tarnel
