#include "app/GeocoderConfig.h"

#include "mapservice/TileLayers.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <optional>
#include <tuple>

namespace tarnel {

namespace {

// An unquoted value holding commas comes back from the INI reader as a list.
QString SettingText(const QSettings& settings, const QString& key) {
    return settings.value(key).toStringList().join(QLatin1String(", ")).trimmed();
}

void Override(QString& setting, const QProcessEnvironment& environment, const char* variable) {
    const QString name = QLatin1String(variable);
    if (environment.contains(name)) {
        setting = environment.value(name).trimmed();
    }
}

// Keeps `url` when it can serve as a search endpoint, else turns it off and says why.
void Check(QString& url, const QString& name, QStringList& warnings) {
    if (url.isEmpty()) {
        return;
    }
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (parsed.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
        !parsed.host().isEmpty() && !parsed.hasQuery() && !parsed.hasFragment()) {
        return;
    }
    warnings.append(QStringLiteral("Tarnel : l'adresse du géocodeur « %1 » n'est pas une adresse "
                                   "http ou https utilisable (%2) ; ce géocodeur est désactivé.")
                        .arg(name, url));
    url.clear();
}

// The [carte] section: each base layer's tile URL template, an empty one leaving it out.
void ReadTiles(const QSettings& settings, TileUrls& tiles, QStringList& warnings) {
    for (const auto& [key, url] : {std::pair{QStringLiteral("osm"), &tiles.osm},
                                   std::pair{QStringLiteral("plan"), &tiles.plan},
                                   std::pair{QStringLiteral("ortho"), &tiles.ortho}}) {
        const QString setting = QStringLiteral("carte/") + key;
        if (!settings.contains(setting)) {
            continue;
        }
        *url = SettingText(settings, setting);
        if (!url->isEmpty() && !UsableTileUrl(*url)) {
            warnings.append(QStringLiteral("Tarnel : l'adresse des tuiles « %1 » n'est pas une "
                                           "adresse http ou https avec {z}, {x} et {y} (%2) ; "
                                           "ce fond de carte est désactivé.")
                                .arg(key, *url));
            url->clear();
        }
    }
}

// The endpoint `sibling` ("/reverse", "/search/csv") of the server answering `search`: off with
// the search, on the same server when the search is the usual ".../search", `fallback` otherwise.
QString Beside(const QString& search, const QString& sibling, const QString& fallback) {
    const QString searchPath = QStringLiteral("/search");
    if (search.isEmpty()) {
        return {};
    }
    if (search.endsWith(searchPath)) {
        return search.chopped(searchPath.size()) + sibling;
    }
    return fallback;
}

} // namespace

GeocoderEndpoints ReadGeocoderConfig(const QString& configFile,
                                     const QProcessEnvironment& environment,
                                     QStringList& warnings) {
    GeocoderEndpoints endpoints;
    QStringList besideSet; // the reverse searches and the file geocoding the file sets
    std::optional<QSettings> file;
    if (QFileInfo(configFile).isFile()) {
        file.emplace(configFile, QSettings::IniFormat);
        const QSettings& settings = *file;
        const QString france = QStringLiteral("geocoders/france");
        const QString world = QStringLiteral("geocoders/world");
        const QString contact = QStringLiteral("geocoders/contact");
        if (settings.contains(france)) {
            endpoints.france = SettingText(settings, france);
        }
        if (settings.contains(world)) {
            endpoints.world = SettingText(settings, world);
        }
        if (settings.contains(contact)) {
            endpoints.contact = SettingText(settings, contact);
        }
        const std::pair<const char*, QString*> reverses[] = {
            {"geocoders/france-reverse", &endpoints.franceReverse},
            {"geocoders/world-reverse", &endpoints.worldReverse},
            {"geocoders/france-csv", &endpoints.franceCsv}};
        for (const auto& [key, url] : reverses) {
            if (settings.contains(QLatin1String(key))) {
                *url = SettingText(settings, QLatin1String(key));
                besideSet.append(QLatin1String(key));
            }
        }
        ReadTiles(settings, endpoints.tiles, warnings);
    }
    Override(endpoints.france, environment, kFranceUrlVariable);
    Override(endpoints.world, environment, kWorldUrlVariable);
    Override(endpoints.contact, environment, kContactVariable);
    Check(endpoints.france, QStringLiteral("france"), warnings);
    Check(endpoints.world, QStringLiteral("world"), warnings);
    // A reverse search or a file geocoding not set of its own follows its search (the
    // Géoplateforme's and Nominatim's stand beside their searches as ".../reverse", the
    // Géoplateforme's file geocoding as ".../search/csv").
    for (const auto& [search, beside, sibling, key, variable] :
         {std::tuple{&endpoints.france, &endpoints.franceReverse, QStringLiteral("/reverse"),
                     QStringLiteral("geocoders/france-reverse"), kFranceReverseUrlVariable},
          std::tuple{&endpoints.world, &endpoints.worldReverse, QStringLiteral("/reverse"),
                     QStringLiteral("geocoders/world-reverse"), kWorldReverseUrlVariable},
          std::tuple{&endpoints.france, &endpoints.franceCsv, QStringLiteral("/search/csv"),
                     QStringLiteral("geocoders/france-csv"), kFranceCsvUrlVariable}}) {
        if (!besideSet.contains(key) && !environment.contains(QLatin1String(variable))) {
            *beside = Beside(*search, sibling, *beside);
        }
        Override(*beside, environment, variable);
    }
    Check(endpoints.franceCsv, QStringLiteral("france-csv"), warnings);
    Check(endpoints.franceReverse, QStringLiteral("france-reverse"), warnings);
    Check(endpoints.worldReverse, QStringLiteral("world-reverse"), warnings);
    for (const auto& [key, url, variable] :
         {std::tuple{QStringLiteral("altitude"), &endpoints.altitude, kAltitudeUrlVariable},
          std::tuple{QStringLiteral("commune"), &endpoints.commune, kCommuneUrlVariable},
          std::tuple{QStringLiteral("parcel"), &endpoints.parcel, kParcelUrlVariable}}) {
        if (file && file->contains(QStringLiteral("geocoders/") + key)) {
            *url = SettingText(*file, QStringLiteral("geocoders/") + key);
        }
        Override(*url, environment, variable);
        Check(*url, key, warnings);
    }
    return endpoints;
}

QString GeocoderConfigFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("tarnel.conf"));
}

} // namespace tarnel
