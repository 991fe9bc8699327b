#include "mapservice/MapPage.h"

#include <QStringBuilder>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarnel {

namespace {

const QString kMapUnavailable =
    QStringLiteral("La carte ne peut pas s'afficher : OpenStreetMap n'est pas joignable "
                   "(pas de connexion à Internet ?). Les coordonnées ci-dessous restent "
                   "valables.");
const QString kMapFallback =
    QStringLiteral("Si la carte reste vide, l'ordinateur n'est sans doute pas connecté à "
                   "Internet : les coordonnées ci-dessous restent valables et le lien s'ouvrira "
                   "une fois la connexion rétablie.");

// Latitude span of the map shown: a few streets around the place.
constexpr double kLatitudeSpan = 0.01;
// The web map cannot show latitudes beyond this.
constexpr double kMercatorLimit = 85.0511;

// Escapes what HTML gives meaning to, and the braces, so that no text from the query can look
// like the coordinate arrangement the program searches for; controls become blanks.
QString EscapeHtml(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += QLatin1String("&quot;");
            break;
        case u'\'':
            out += QLatin1String("&#39;");
            break;
        case u'{':
            out += QLatin1String("&#123;");
            break;
        case u'}':
            out += QLatin1String("&#125;");
            break;
        default:
            out += c.category() == QChar::Other_Control ? QChar(u' ') : c;
            break;
        }
    }
    return out;
}

QString Decimal(double value) {
    return QString::number(value, 'f', 7);
}

QString MapSection(const Place& place, const QString& source, double longitudeSpan) {
    const double south = std::max(place.latitude - kLatitudeSpan / 2, -kMercatorLimit);
    const double north = std::min(place.latitude + kLatitudeSpan / 2, kMercatorLimit);
    const double west = std::max(place.longitude - longitudeSpan / 2, -180.0);
    const double east = std::min(place.longitude + longitudeSpan / 2, 180.0);
    const QString lat = Decimal(place.latitude);
    const QString lng = Decimal(place.longitude);
    const QString embed =
        QLatin1String("https://www.openstreetmap.org/export/embed.html?bbox=") % Decimal(west) %
        QLatin1String("%2C") % Decimal(std::min(south, north)) % QLatin1String("%2C") %
        Decimal(east) % QLatin1String("%2C") % Decimal(std::max(south, north)) %
        QLatin1String("&amp;layer=mapnik&amp;marker=") % lat % QLatin1String("%2C") % lng;
    const QString larger = QLatin1String("https://www.openstreetmap.org/?mlat=") % lat %
                           QLatin1String("&amp;mlon=") % lng % QLatin1String("#map=16/") % lat %
                           u'/' % lng;
    QString credits = QStringLiteral("Carte : <a href=\"https://www.openstreetmap.org/copyright\">"
                                     "\u00A9 contributeurs OpenStreetMap</a>");
    if (!source.isEmpty()) {
        credits += QStringLiteral(" \u00B7 Géocodage : ") + EscapeHtml(source);
    }
    // The notice stands behind the frame and shows wherever the map does not cover it; the line
    // under the frame says the same when the browser fills a failed frame with its own page.
    return QLatin1String("<div class=\"map\">\n<p class=\"behind\">") % kMapUnavailable %
           QLatin1String("</p>\n<iframe title=\"Carte\" src=\"") % embed %
           QLatin1String("\"></iframe>\n</div>\n<p class=\"fallback\">") % kMapFallback %
           QLatin1String("</p>\n<p>Latitude ") % lat % QLatin1String(", longitude ") % lng %
           QStringLiteral(" \u00B7 <a href=\"") % larger %
           QLatin1String("\">Voir sur OpenStreetMap</a></p>\n<p class=\"credits\">") % credits %
           QLatin1String("</p>\n");
}

// The other places that fit what was typed as well as the one shown, each a link to its own
// page by its coordinates.
QString OthersSection(const std::vector<Candidate>& others) {
    if (others.empty()) {
        return {};
    }
    QString items;
    for (const Candidate& other : others) {
        items += QLatin1String("<li><a href=\"/maps?q=") % Decimal(other.place.latitude) %
                 QLatin1String("%2C") % Decimal(other.place.longitude) % QLatin1String("\">") %
                 EscapeHtml(other.label) % QLatin1String("</a></li>\n");
    }
    return QStringLiteral("<p>Autres lieux possibles :</p>\n<ul id=\"autres-lieux\">\n") % items %
           QLatin1String("</ul>\n");
}

} // namespace

QString AbsenceText(Absence why) {
    switch (why) {
    case Absence::NotFound:
        break;
    case Absence::Unreachable:
        return QStringLiteral("Les services de recherche d'adresses sont injoignables : "
                              "l'ordinateur n'est sans doute pas connecté à Internet. "
                              "Réessayez une fois la connexion rétablie.");
    case Absence::Certificates:
        return QStringLiteral("Les services de recherche d'adresses sont injoignables : la "
                              "connexion sécurisée a échoué, car les certificats de cet "
                              "ordinateur n'ont pas permis de vérifier le service (paquet "
                              "ca-certificates absent ou périmé ?).");
    case Absence::Refused:
        return QStringLiteral("Le service de recherche d'adresses a refusé la demande : la "
                              "limite d'utilisation est atteinte. Réessayez plus tard.");
    case Absence::Failed:
        return QStringLiteral("Le service de recherche d'adresses a répondu de façon "
                              "inattendue. Réessayez plus tard.");
    case Absence::NoGeocoder:
        return QStringLiteral("La recherche d'adresses est désactivée dans la configuration "
                              "de Tarnel (tarnel.conf).");
    }
    return QStringLiteral("Aucun lieu correspondant à cette recherche n'a été trouvé.");
}

QByteArray MapPageHtml(const MapPageContent& content) {
    const QString& query = content.query;
    const std::optional<Place>& place = content.place;
    const QString& source = content.source;
    const QString heading =
        query.trimmed().isEmpty() ? QStringLiteral("Recherche vide") : EscapeHtml(query);
    QString viewport;
    QString body;
    if (place) {
        const double longitudeSpan = std::min(
            kLatitudeSpan / std::max(std::cos(place->latitude * std::numbers::pi / 180), 0.01),
            360.0);
        viewport = QLatin1String("<!-- viewport:{center:{lat:") % Decimal(place->latitude) %
                   QLatin1String(",lng:") % Decimal(place->longitude) %
                   QLatin1String("},span:{lat:") % Decimal(kLatitudeSpan) % QLatin1String(",lng:") %
                   Decimal(longitudeSpan) % QLatin1String("}} -->\n");
        body = MapSection(*place, source, longitudeSpan) + OthersSection(content.others);
    } else if (query.trimmed().isEmpty()) {
        // The first start, before any search: an invitation rather than a failure.
        body = QStringLiteral("<p>Saisissez une adresse ou des coordonnées, puis lancez la "
                              "recherche pour afficher le lieu sur la carte.</p>\n");
    } else {
        body =
            QLatin1String("<p class=\"absence\">") %
            (content.problem.isEmpty() ? AbsenceText(content.why) : EscapeHtml(content.problem)) %
            QLatin1String("</p>\n");
    }
    const QString page =
        QLatin1String("<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n") %
        viewport % QLatin1String("<title>") % heading %
        QStringLiteral(" \u2013 Tarnel</title>\n<style>\n"
                       "html,body{height:100%;margin:0}\n"
                       "body{display:flex;flex-direction:column;font-family:sans-serif}\n"
                       "h1{font-size:1.1em;margin:.4em .6em}\n"
                       ".map{flex:1;position:relative}\n"
                       ".behind{position:absolute;inset:0;display:flex;align-items:center;"
                       "justify-content:center;text-align:center;margin:0;padding:1em}\n"
                       "iframe{position:absolute;inset:0;border:0;width:100%;height:100%}\n"
                       "p{margin:.3em .6em;font-size:.9em}\n"
                       ".credits{font-size:.8em;color:#444}\n"
                       "</style>\n</head>\n<body>\n<h1>") %
        heading % QLatin1String("</h1>\n") % body % QLatin1String("</body>\n</html>\n");
    return page.toUtf8();
}

} // namespace tarnel
