#include "mapservice/MapPage.h"

#include "mapservice/StaticFiles.h"

#include <QList>
#include <QStringBuilder>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace tarnel {

namespace {

// Latitude span the viewport arrangement gives: a few streets around the place.
constexpr double kLatitudeSpan = 0.01;

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

// A JSON string that is safe inside a <script> element and cannot forge the coordinate
// arrangement: besides backslashes, every control, quote, <, >, &, ', brace and line or
// paragraph separator is written as \uXXXX, so the text adds no markup character at all.
QString JsonString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\') {
            out += QLatin1String("\\\\");
        } else if (u < 0x20 || u == u'"' || u == u'<' || u == u'>' || u == u'&' || u == u'\'' ||
                   u == u'{' || u == u'}' || u == 0x2028 || u == 0x2029) {
            out += QStringLiteral("\\u%1").arg(static_cast<uint>(u), 4, 16, QChar(u'0'));
        } else {
            out += c;
        }
    }
    return out + u'"';
}

QString Decimal(double value) {
    return QString::number(value, 'f', 7);
}

QString JsonPoint(double latitude, double longitude) {
    return QLatin1String("\"lat\":") % Decimal(latitude) % QLatin1String(",\"lng\":") %
           Decimal(longitude);
}

QString LayersJson(const std::vector<TileLayer>& tiles) {
    QStringList layers;
    for (const TileLayer& layer : tiles) {
        layers.append(QLatin1String("{\"id\":") % JsonString(layer.id) %
                      QLatin1String(",\"name\":") % JsonString(layer.name) %
                      QLatin1String(",\"url\":") % JsonString(layer.url) %
                      QLatin1String(",\"attribution\":") % JsonString(layer.attribution) %
                      QLatin1String(",\"maxZoom\":") % QString::number(layer.maxZoom) % u'}');
    }
    return u'[' % layers.join(u',') % u']';
}

// What the page's script draws from: the place, the other candidates and the base layers.
QString PageData(const MapPageContent& content, const std::vector<TileLayer>& tiles) {
    QStringList others;
    for (const Candidate& other : content.others) {
        others.append(QLatin1String("{\"label\":") % JsonString(other.label) % u',' %
                      JsonPoint(other.place.latitude, other.place.longitude) % u'}');
    }
    const QString place =
        content.place ? u'{' % JsonPoint(content.place->latitude, content.place->longitude) % u'}'
                      : QStringLiteral("null");
    return QLatin1String("{\"query\":") % JsonString(content.query) % QLatin1String(",\"place\":") %
           place % QLatin1String(",\"label\":") % JsonString(content.label) %
           QLatin1String(",\"source\":") % JsonString(content.source) %
           QLatin1String(",\"others\":[") % others.join(u',') % QLatin1String("],\"tiles\":") %
           LayersJson(tiles) % u'}';
}

// The other places that fit the query as well, each a link to its own page.
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
    return QStringLiteral("<p>Autres lieux possibles :</p>\n<ul id=\"other-places\">\n") % items %
           QLatin1String("</ul>\n");
}

// The map's credits, as the layers' licences word them (HTML of the program's own).
QString MapCredits(const std::vector<TileLayer>& tiles) {
    QStringList credits;
    for (const TileLayer& layer : tiles) {
        if (!credits.contains(layer.attribution)) {
            credits.append(layer.attribution);
        }
    }
    return credits.join(QStringLiteral(" \u00B7 "));
}

// The lines under the map: where the place is, and the credits of the data shown. A page
// without a place holds them hidden, for the page to fill in when a search moves it.
QString CoordinatesSection(const std::optional<Place>& place, const QString& source,
                           const std::vector<TileLayer>& tiles) {
    QString coordinates;
    if (place) {
        const QString lat = Decimal(place->latitude);
        const QString lng = Decimal(place->longitude);
        const QString larger = QLatin1String("https://www.openstreetmap.org/?mlat=") % lat %
                               QLatin1String("&amp;mlon=") % lng % QLatin1String("#map=16/") % lat %
                               u'/' % lng;
        coordinates = QLatin1String("Latitude ") % lat % QLatin1String(", longitude ") % lng %
                      QStringLiteral(" \u00B7 <a href=\"") % larger %
                      QLatin1String("\">Voir sur OpenStreetMap</a>");
    }
    const QString hidden = place ? QString() : QStringLiteral(" hidden");
    const QString geocoding = source.isEmpty()
                                  ? QStringLiteral(" hidden>")
                                  : QStringLiteral("> \u00B7 Géocodage : ") + EscapeHtml(source);
    return QLatin1String("<p id=\"coordinates\" class=\"coordinates\"") % hidden % u'>' %
           coordinates % QLatin1String("</p>\n<p id=\"credits\" class=\"credits\"") % hidden %
           QStringLiteral(">Carte : ") % MapCredits(tiles) %
           QLatin1String("<span id=\"geocoding-credit\"") % geocoding %
           QLatin1String("</span></p>\n");
}

// `pattern` with each "@@name@@" replaced by its value, in one pass: values are never scanned
// for further names, so no text of the query can pull another part in.
QString Fill(const QString& pattern, const QList<std::pair<QString, QString>>& values) {
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype open = pattern.indexOf(QLatin1String("@@"), from);
        const qsizetype close = open < 0 ? -1 : pattern.indexOf(QLatin1String("@@"), open + 2);
        if (close < 0) {
            break;
        }
        const QString name = pattern.mid(open + 2, close - open - 2);
        const auto value = std::find_if(values.cbegin(), values.cend(),
                                        [&name](const auto& v) { return v.first == name; });
        out += pattern.mid(from, open - from);
        out += value == values.cend() ? QString() : value->second;
        from = close + 2;
    }
    return out + pattern.mid(from);
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

QString PageHeading(const QString& query) {
    return query.trimmed().isEmpty() ? QStringLiteral("Recherche vide") : query;
}

QString PageMessage(const MapPageContent& content) {
    if (content.place) {
        return {};
    }
    if (content.query.trimmed().isEmpty()) {
        // The first start, before any search: an invitation rather than a failure.
        return QStringLiteral("Saisissez une adresse ou des coordonnées, puis lancez la "
                              "recherche pour afficher le lieu sur la carte.");
    }
    return content.problem.isEmpty() ? AbsenceText(content.why) : content.problem;
}

bool MessageTellsAbsence(const MapPageContent& content) {
    return !content.place && !content.query.trimmed().isEmpty();
}

QString ViewportArrangement(const Place& place) {
    const double longitudeSpan = std::min(
        kLatitudeSpan / std::max(std::cos(place.latitude * std::numbers::pi / 180), 0.01), 360.0);
    return QLatin1String("viewport:{center:{lat:") % Decimal(place.latitude) %
           QLatin1String(",lng:") % Decimal(place.longitude) % QLatin1String("},span:{lat:") %
           Decimal(kLatitudeSpan) % QLatin1String(",lng:") % Decimal(longitudeSpan) %
           QLatin1String("}}");
}

QByteArray MapPageHtml(const MapPageContent& content, const std::vector<TileLayer>& tiles) {
    const QString viewport =
        content.place
            ? QLatin1String("<!-- ") % ViewportArrangement(*content.place) % QLatin1String(" -->\n")
            : QString();
    const QString text = PageMessage(content);
    // The program's own sentences are markup-free; an explanation may quote the query.
    const QString html = text == content.problem ? EscapeHtml(text) : text;
    const QString message = QLatin1String("<p id=\"message\"") %
                            (text.isEmpty()                 ? QLatin1String(" hidden")
                             : MessageTellsAbsence(content) ? QLatin1String(" class=\"absence\"")
                                                            : QLatin1String("")) %
                            u'>' % html % QLatin1String("</p>\n");
    const QString page =
        Fill(PageTemplate(), {{QStringLiteral("viewport"), viewport},
                              {QStringLiteral("title"), EscapeHtml(PageHeading(content.query))},
                              {QStringLiteral("leaflet"), LeafletVersionTag()},
                              {QStringLiteral("data"), PageData(content, tiles)},
                              {QStringLiteral("message"), message},
                              {QStringLiteral("others"), OthersSection(content.others)},
                              {QStringLiteral("coordinates"),
                               CoordinatesSection(content.place, content.source, tiles)}});
    return page.toUtf8();
}

} // namespace tarnel
