#include "FakeGeocoderServer.h"

#include <httplib.h>
#include <zlib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <thread>

namespace tarnel {

namespace {

constexpr auto kNationalPath = "/geocodage/search";
constexpr auto kNominatimPath = "/search";
constexpr auto kLongestHang = std::chrono::seconds(10);
// The Géoplateforme's answer to a "q" it does not accept, word for word.
constexpr auto kNationalQueryRule =
    R"({"code":400,"message":"q must contain between 3 and 200 chars and start with a number or a letter"})";

struct Feature {
    double latitude;
    double longitude;
    double score;
    QString postcode;
    QString citycode;
    QString label;
    QString type;
};

QJsonObject NationalFeature(const Feature& feature) {
    QJsonObject geometry;
    geometry.insert(QStringLiteral("type"), QStringLiteral("Point"));
    geometry.insert(QStringLiteral("coordinates"), QJsonArray{feature.longitude, feature.latitude});
    QJsonObject properties;
    properties.insert(QStringLiteral("label"), feature.label);
    properties.insert(QStringLiteral("score"), feature.score);
    properties.insert(QStringLiteral("id"), feature.citycode + QStringLiteral("_0100"));
    // The label is "<street> <postcode> <town>".
    const qsizetype code = feature.label.indexOf(u' ' + feature.postcode + u' ');
    const QString street = feature.label.left(code);
    const QString town = feature.label.mid(code + feature.postcode.size() + 2);
    const qsizetype blank = street.indexOf(u' ');
    const bool numbered = blank > 0 && street.front().isDigit();
    properties.insert(QStringLiteral("name"), street);
    properties.insert(QStringLiteral("street"), numbered ? street.mid(blank + 1) : street);
    properties.insert(QStringLiteral("housenumber"), numbered ? street.left(blank) : QString());
    properties.insert(QStringLiteral("postcode"), feature.postcode);
    properties.insert(QStringLiteral("citycode"), feature.citycode);
    properties.insert(QStringLiteral("x"), 652000.5);
    properties.insert(QStringLiteral("y"), 6862000.5);
    properties.insert(QStringLiteral("city"), town);
    properties.insert(QStringLiteral("context"), QStringLiteral("75, Paris, Île-de-France"));
    properties.insert(QStringLiteral("type"), feature.type);
    properties.insert(QStringLiteral("importance"), 0.62);
    QJsonObject object;
    object.insert(QStringLiteral("type"), QStringLiteral("Feature"));
    object.insert(QStringLiteral("geometry"), geometry);
    object.insert(QStringLiteral("properties"), properties);
    return object;
}

QByteArray NationalJson(const QString& query, const QList<Feature>& features) {
    QJsonArray array;
    for (const Feature& feature : features) {
        array.append(NationalFeature(feature));
    }
    QJsonObject collection;
    collection.insert(QStringLiteral("type"), QStringLiteral("FeatureCollection"));
    collection.insert(QStringLiteral("version"), QStringLiteral("draft"));
    collection.insert(QStringLiteral("features"), array);
    collection.insert(QStringLiteral("attribution"), QStringLiteral("BAN"));
    collection.insert(QStringLiteral("licence"), QStringLiteral("ETALAB-2.0"));
    collection.insert(QStringLiteral("query"), query);
    collection.insert(QStringLiteral("limit"), 5);
    return QJsonDocument(collection).toJson(QJsonDocument::Compact);
}

// The query's postal code, or one of Paris' when it has none.
QString PostcodeOf(const QString& query) {
    static const QRegularExpression kPostalCode(QStringLiteral("(?<!\\d)\\d{5}(?!\\d)"));
    const auto match = kPostalCode.match(query);
    return match.hasMatch() ? match.captured() : QStringLiteral("75001");
}

// The documented example of a guess: "8 bd du port" read as a boulevard of Amiens.
const Feature kAmiensGuess{49.897443,
                           2.290084,
                           0.49159121588068583,
                           QStringLiteral("80000"),
                           QStringLiteral("80021"),
                           QStringLiteral("8 Boulevard du Port 80000 Amiens"),
                           QStringLiteral("housenumber")};
const Feature kLesserGuess{43.2951,
                           5.3751,
                           0.4312,
                           QStringLiteral("13002"),
                           QStringLiteral("13202"),
                           QStringLiteral("Rue du Port 13002 Marseille"),
                           QStringLiteral("street")};

QByteArray NationalAnswer(FakeGeocoderServer::Behaviour behaviour, const QString& query,
                          double latitude, double longitude) {
    using Behaviour = FakeGeocoderServer::Behaviour;
    const QString postcode = PostcodeOf(query);
    // The place is in the town the query names after its street, Paris when it names none.
    const QString town =
        query.count(u',') >= 2 ? query.section(u',', 1, 1).trimmed() : QStringLiteral("Paris");
    const Feature place{latitude,
                        longitude,
                        0.9312,
                        postcode,
                        postcode.left(2) + QStringLiteral("1") + postcode.right(2),
                        query.section(u',', 0, 0) + u' ' + postcode + u' ' + town,
                        QStringLiteral("housenumber")};
    switch (behaviour) {
    case Behaviour::Place:
    case Behaviour::Gzip:
        return NationalJson(query, {place, kAmiensGuess, kLesserGuess});
    case Behaviour::Namesake: {
        Feature namesake = place;
        namesake.score = 0.9671;
        namesake.postcode = QStringLiteral("80000");
        namesake.citycode = QStringLiteral("80021");
        namesake.label = query.section(u',', 0, 0) + QStringLiteral(" 80000 Amiens");
        namesake.latitude = kAmiensGuess.latitude;
        namesake.longitude = kAmiensGuess.longitude;
        Feature second = place;
        second.score = 0.8812;
        return NationalJson(query, {namesake, second, kLesserGuess});
    }
    case Behaviour::OtherPostcode: {
        Feature elsewhere = place;
        elsewhere.score = 0.9714;
        elsewhere.postcode = QStringLiteral("10000");
        elsewhere.citycode = QStringLiteral("10387");
        elsewhere.label = query.section(u',', 0, 0) + QStringLiteral(" 10000 Troyes");
        elsewhere.type = QStringLiteral("street");
        return NationalJson(query, {elsewhere});
    }
    case Behaviour::Empty:
        return NationalJson(query, {});
    default:
        return NationalJson(query, {kAmiensGuess, kLesserGuess});
    }
}

// The place in the country and town asked for, as the real service answers a request that
// filters by them.
QByteArray NominatimPlace(const httplib::Request& request, double latitude, double longitude) {
    QJsonObject address;
    if (request.has_param("countrycodes")) {
        address.insert(QStringLiteral("country_code"),
                       QString::fromStdString(request.get_param_value("countrycodes")).left(2));
    }
    if (request.has_param("city")) {
        address.insert(QStringLiteral("city"),
                       QString::fromStdString(request.get_param_value("city")));
    }
    QJsonObject match;
    match.insert(QStringLiteral("address"), address);
    match.insert(QStringLiteral("place_id"), 1);
    match.insert(QStringLiteral("licence"),
                 QStringLiteral("Data © OpenStreetMap contributors, ODbL 1.0."));
    match.insert(QStringLiteral("osm_type"), QStringLiteral("way"));
    match.insert(QStringLiteral("lat"), QString::number(latitude, 'f', 7));
    match.insert(QStringLiteral("lon"), QString::number(longitude, 'f', 7));
    match.insert(QStringLiteral("category"), QStringLiteral("building"));
    match.insert(QStringLiteral("type"), QStringLiteral("yes"));
    match.insert(QStringLiteral("importance"), 0.42);
    match.insert(QStringLiteral("display_name"), QStringLiteral("somewhere"));
    match.insert(QStringLiteral("boundingbox"),
                 QJsonArray{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("0"),
                            QStringLiteral("1")});
    return QJsonDocument(QJsonArray{match}).toJson(QJsonDocument::Compact);
}

QByteArray Gzipped(const QByteArray& bytes) {
    z_stream stream{};
    // 16 added to the window bits asks zlib for a gzip wrapper.
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, uLong(bytes.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// Why the Géoplateforme would refuse the request; empty when it would not.
QString NationalRuleBroken(const httplib::Request& request, const QString& query) {
    const qsizetype length = query.toUcs4().size();
    if (!request.has_param("q") || length < 3 || length > 200 || !query.at(0).isLetterOrNumber()) {
        return QStringLiteral("q: ") + query;
    }
    if (request.has_param("autocomplete")) {
        const std::string value = request.get_param_value("autocomplete");
        if (value != "0" && value != "1") {
            return QStringLiteral("autocomplete");
        }
    }
    if (request.has_param("limit")) {
        bool ok = false;
        const int limit = QString::fromStdString(request.get_param_value("limit")).toInt(&ok);
        if (!ok || limit < 1 || limit > 20) {
            return QStringLiteral("limit");
        }
    }
    return {};
}

// Why Nominatim would refuse the request; empty when it would not.
QString NominatimRuleBroken(const httplib::Request& request, const QString& query) {
    const std::string agent = request.get_header_value("User-Agent");
    if (agent.empty() || agent.starts_with("curl/") || agent.starts_with("libcurl")) {
        return QStringLiteral("agent");
    }
    static const QStringList kFormats{QStringLiteral("xml"), QStringLiteral("json"),
                                      QStringLiteral("jsonv2"), QStringLiteral("geojson"),
                                      QStringLiteral("geocodejson")};
    if (request.has_param("format") &&
        !kFormats.contains(QString::fromStdString(request.get_param_value("format")))) {
        return QStringLiteral("format");
    }
    const bool structured = request.has_param("street") || request.has_param("city") ||
                            request.has_param("postalcode") || request.has_param("country");
    if (query.trimmed().isEmpty() == !structured) {
        return QStringLiteral("q");
    }
    return {};
}

// What a Nominatim request asks for: its "q", or its structured parts joined by ", ".
QString NominatimQuery(const httplib::Request& request) {
    QStringList parts;
    for (const char* name : {"q", "street", "city", "country", "postalcode"}) {
        if (request.has_param(name)) {
            parts.append(QString::fromStdString(request.get_param_value(name)));
        }
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

FakeGeocoderServer::FakeGeocoderServer() {
    const auto serve = [this](Endpoint endpoint) {
        return [this, endpoint](const httplib::Request& request, httplib::Response& response) {
            const bool national = endpoint == Endpoint::National;
            const QString query = national ? QString::fromStdString(request.get_param_value("q"))
                                           : NominatimQuery(request);
            const QString broken =
                national ? NationalRuleBroken(request, query)
                         : NominatimRuleBroken(
                               request, QString::fromStdString(request.get_param_value("q")));
            Answer answer;
            bool known = false;
            {
                const std::lock_guard lock(mutex_);
                ++hits_[Key(endpoint, query)];
                queries_.append(query);
                lastUserAgent_ = QByteArray::fromStdString(request.get_header_value("User-Agent"));
                lastTarget_ = QByteArray::fromStdString(request.target);
                arrivals_.append(std::chrono::steady_clock::now());
                known = answers_.contains(Key(endpoint, query));
                answer = answers_.value(Key(endpoint, query));
                if (!broken.isEmpty()) {
                    broken_.append(broken);
                }
            }
            if (!broken.isEmpty()) {
                response.status = national || broken != QLatin1String("agent") ? 400 : 403;
                response.set_content(kNationalQueryRule, "application/json; charset=utf-8");
                return;
            }
            std::this_thread::sleep_for(answer.delay);
            const auto usual = [&](Behaviour behaviour) {
                return national
                           ? NationalAnswer(behaviour, query, answer.latitude, answer.longitude)
                           : (behaviour == Behaviour::Place || behaviour == Behaviour::Gzip
                                  ? NominatimPlace(request, answer.latitude, answer.longitude)
                                  : QByteArray("[]"));
            };
            QByteArray body;
            const char* type = "application/json; charset=utf-8";
            if (!answer.recorded.isEmpty()) {
                response.set_content(answer.recorded.constData(),
                                     static_cast<size_t>(answer.recorded.size()), type);
                return;
            }
            switch (known ? answer.behaviour : Behaviour::Guesses) {
            case Behaviour::Hang: {
                const auto until = std::chrono::steady_clock::now() + kLongestHang;
                while (!released_ && std::chrono::steady_clock::now() < until) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                body = usual(Behaviour::Empty);
                break;
            }
            case Behaviour::Garbage:
                body = "<html><body>{\"features\": [ oops";
                break;
            case Behaviour::Huge:
                body = QByteArray(2 * 1024 * 1024, ' ') + usual(Behaviour::Place);
                break;
            case Behaviour::ServerError:
                response.status = 500;
                body = "{}";
                break;
            case Behaviour::BadRequest:
                response.status = 400;
                body = kNationalQueryRule;
                break;
            case Behaviour::Forbidden:
                response.status = 403;
                body = "<html><body>Access blocked</body></html>";
                type = "text/html";
                break;
            case Behaviour::TooManyRequests:
                response.status = 429;
                response.set_header("Retry-After", "60");
                body = "{\"code\":429,\"message\":\"Too Many Requests\"}";
                break;
            case Behaviour::Gzip:
                // A type the server does not compress on its own, so it is compressed once.
                body = Gzipped(usual(Behaviour::Gzip));
                response.set_header("Content-Encoding", "gzip");
                type = "application/octet-stream";
                break;
            default:
                body = usual(known ? answer.behaviour : Behaviour::Guesses);
                break;
            }
            response.set_content(body.constData(), static_cast<size_t>(body.size()), type);
        };
    };
    server_.Server().Get(kNationalPath, serve(Endpoint::National));
    server_.Server().Get(kNominatimPath, serve(Endpoint::Nominatim));
    server_.Start();
}

FakeGeocoderServer::~FakeGeocoderServer() {
    // Lets a hanging handler go, so that stopping the server does not wait for it.
    Release();
}

QString FakeGeocoderServer::SearchUrl(Endpoint endpoint) const {
    return server_.Url(
        QLatin1String(endpoint == Endpoint::National ? kNationalPath : kNominatimPath));
}

void FakeGeocoderServer::Set(Endpoint endpoint, const QString& query, Behaviour behaviour,
                             double latitude, double longitude, std::chrono::milliseconds delay) {
    const std::lock_guard lock(mutex_);
    answers_.insert(Key(endpoint, query), Answer{behaviour, latitude, longitude, delay});
}

void FakeGeocoderServer::SetRecorded(Endpoint endpoint, const QString& query,
                                     const QByteArray& body) {
    const std::lock_guard lock(mutex_);
    answers_.insert(Key(endpoint, query), Answer{Behaviour::Place, 0, 0, {}, body});
}

void FakeGeocoderServer::Release() {
    released_ = true;
}

void FakeGeocoderServer::ClearCounts() {
    const std::lock_guard lock(mutex_);
    hits_.clear();
    arrivals_.clear();
    broken_.clear();
    queries_.clear();
}

int FakeGeocoderServer::Hits(Endpoint endpoint, const QString& query) const {
    const std::lock_guard lock(mutex_);
    return hits_.value(Key(endpoint, query));
}

int FakeGeocoderServer::Hits(Endpoint endpoint) const {
    const std::lock_guard lock(mutex_);
    const QString prefix = Key(endpoint, {});
    int total = 0;
    for (auto it = hits_.cbegin(); it != hits_.cend(); ++it) {
        if (it.key().startsWith(prefix)) {
            total += it.value();
        }
    }
    return total;
}

QStringList FakeGeocoderServer::Broken() const {
    const std::lock_guard lock(mutex_);
    return broken_;
}

QStringList FakeGeocoderServer::Queries() const {
    const std::lock_guard lock(mutex_);
    return queries_;
}

QByteArray FakeGeocoderServer::LastUserAgent() const {
    const std::lock_guard lock(mutex_);
    return lastUserAgent_;
}

QByteArray FakeGeocoderServer::LastTarget() const {
    const std::lock_guard lock(mutex_);
    return lastTarget_;
}

QList<std::chrono::steady_clock::time_point> FakeGeocoderServer::Arrivals() const {
    const std::lock_guard lock(mutex_);
    return arrivals_;
}

QString FakeGeocoderServer::Key(Endpoint endpoint, const QString& query) {
    return (endpoint == Endpoint::National ? QStringLiteral("N|") : QStringLiteral("O|")) + query;
}

} // namespace tarnel
