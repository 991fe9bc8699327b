#include "geocoding/GeoplateformeGeocoder.h"

#include "geocoding/AddressWords.h"
#include "geocoding/FrenchAddressRule.h"
#include "geocoding/GeoCodeJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace tarnel {

namespace {

// The service's published limit is 50 requests a second.
constexpr std::chrono::milliseconds kRequestInterval{20};
constexpr std::chrono::milliseconds kLongestQueue{2000};
// Features asked for: enough for the place asked for to be among them when namesakes in other
// towns come first.
constexpr auto kFeaturesAsked = "5";
const QString kJoin = QStringLiteral(", ");

bool IsWordBreak(QChar c) {
    return c.isSpace() || c == u',';
}

// What the service takes as a first character: a Latin letter or digit, accents allowed.
bool AcceptedFirst(QChar c) {
    const QChar base = c.decompositionTag() == QChar::Canonical ? c.decomposition().front() : c;
    return base.unicode() < 0x80 && base.isLetterOrNumber();
}

QString FromAcceptedFirst(const QString& text) {
    qsizetype first = 0;
    while (first < text.size() && !AcceptedFirst(text.at(first))) {
        ++first;
    }
    return text.mid(first);
}

// `text` within `longest` characters, cut at the last blank or comma that keeps it so (where
// the limit falls when one word is longer).
QString CutAtWord(const QString& text, qsizetype longest) {
    if (text.size() <= longest) {
        return text;
    }
    if (longest <= 0) {
        return {};
    }
    qsizetype cut = longest;
    while (cut > 0 && !IsWordBreak(text.at(cut))) {
        --cut;
    }
    QString kept = text.left(cut > 0 ? cut : longest);
    while (!kept.isEmpty() && IsWordBreak(kept.back())) {
        kept.chop(1);
    }
    return kept;
}

struct Fitting {
    int level;
    double score;
    Candidate candidate;
    QString town; // its TownKey: places of one town are one place to the user
    QString cityCode;
};

} // namespace

GeoplateformeGeocoder::GeoplateformeGeocoder(QString searchUrl, QByteArray userAgent,
                                             HttpLimits limits)
    : search_(std::move(searchUrl), std::move(userAgent), limits, kRequestInterval, kLongestQueue) {
}

QString GeoplateformeGeocoder::QueryText(const AddressQuery& typed) {
    const QString code =
        typed.postcode.isEmpty() && !typed.departement.isEmpty() ? typed.departement : typed.code;
    QStringList tailParts{typed.town.trimmed(), code};
    tailParts.removeIf([](const QString& part) { return part.isEmpty(); });
    const QString tail = tailParts.join(kJoin);
    QString street = FromAcceptedFirst(typed.street.trimmed());
    QString text;
    if (street.isEmpty()) {
        text = CutAtWord(FromAcceptedFirst(tail), kLongestQuery);
    } else if (tail.isEmpty()) {
        text = CutAtWord(street, kLongestQuery);
    } else {
        street = CutAtWord(street, kLongestQuery - tail.size() - kJoin.size());
        text = street.isEmpty() ? CutAtWord(FromAcceptedFirst(tail), kLongestQuery)
                                : street + kJoin + tail;
    }
    return text.size() < kShortestQuery ? QString() : text;
}

GeocodeResult GeoplateformeGeocoder::Locate(const QString& address) {
    const AddressQuery typed = ParseAddressQuery(address);
    const QString query = QueryText(typed);
    if (!typed.problem.isEmpty() || query.isEmpty()) {
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    QByteArray parameters =
        "q=" + QUrl::toPercentEncoding(query) + "&autocomplete=0&limit=" + kFeaturesAsked;
    if (typed.street.isEmpty()) {
        parameters += "&type=municipality";
    }
    return search_.Ask(parameters,
                       [typed](const QByteArray& body) { return ReadAnswer(body, typed); });
}

QString GeoplateformeGeocoder::SourceName() const {
    return QStringLiteral("Base Adresse Nationale");
}

GeocodeResult GeoplateformeGeocoder::ReadAnswer(const QByteArray& json, const AddressQuery& typed) {
    const std::optional<QJsonArray> features = GeoCodeJsonFeatures(json);
    if (!features) {
        return {};
    }
    std::vector<Fitting> fitting;
    for (const QJsonValue& value : *features) {
        const QJsonObject feature = value.toObject();
        const QJsonObject properties = feature.value(QLatin1String("properties")).toObject();
        const QJsonValue score = properties.value(QLatin1String("score"));
        const FeatureFit fit = FitFeature(properties, typed);
        if (!score.isDouble() || !fit.fits) {
            continue;
        }
        const std::optional<Place> place = GeoCodeJsonPlace(feature);
        if (!place) {
            return {};
        }
        const QString label = properties.value(QLatin1String("label")).toString();
        fitting.push_back({fit.level,
                           score.toDouble(),
                           {label, *place},
                           TownKey(properties.value(QLatin1String("city")).toString()),
                           properties.value(QLatin1String("citycode")).toString()});
    }
    if (fitting.empty()) {
        return {GeocodeResult::Outcome::NoMatch, {}};
    }
    std::stable_sort(fitting.begin(), fitting.end(), [](const Fitting& a, const Fitting& b) {
        return a.level != b.level ? a.level > b.level : a.score > b.score;
    });
    GeocodeResult result{GeocodeResult::Outcome::Found, fitting.front().candidate.place,
                         fitting.front().candidate.label};
    result.cityCode = fitting.front().cityCode;
    // Other towns only: the arrondissements of a town, or the stretches of one street under
    // several postal codes, are no other place to choose.
    QStringList towns{fitting.front().town};
    for (const Fitting& other : fitting) {
        if (other.level == fitting.front().level && !towns.contains(other.town) &&
            result.others.size() < kMostOthers) {
            towns.append(other.town);
            result.others.push_back(other.candidate);
        }
    }
    return result;
}

} // namespace tarnel
