#include "tests/support/standin/StandinMapService.h"

#include <QRegularExpression>

namespace tarnel::testing {

namespace {

struct KnownAddress {
    const char* street;
    const char* city;
    const char* zip;
    StandinMapService::Place place;
};

// Normalised as Normalise() leaves them: lower case, no accents, single blanks.
const KnownAddress kKnownAddresses[] = {
    {"rue de la cite", "paris", "75004", {48.8540000, 2.3470000}},
    {"avenue anatole france", "paris", "75007", {48.8583701, 2.2944813}},
    {"bennelong point", "sydney", "2000", {-33.8567844, 151.2152967}},
    {"avenida atlantica", "rio de janeiro", "22070", {-22.9711000, -43.1822000}},
    {"5th avenue", "new york", "10118", {40.7484405, -73.9856644}},
};

// Lower case, accents dropped, "+" and "," read as blanks, blanks collapsed.
QString Normalise(const QString& text) {
    QString plain;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        plain += (c == u'+' || c == u',') ? QChar(u' ') : c.toLower();
    }
    return plain.simplified();
}

// Query values come percent-encoded in UTF-8 from a browser and in windows-1252 from some
// other clients.
QString DecodeText(const std::string& bytes) {
    const QString utf8 = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    if (!utf8.contains(QChar::ReplacementCharacter))
        return utf8;
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

QString Coordinate(double value) {
    return QString::number(value, 'f', 7);
}

// A drawn map: land, water, a few roads and the marker in the middle.
QString MapPicture(const QString& caption) {
    return QStringLiteral(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100%\" height=\"100%\" "
               "viewBox=\"0 0 640 400\" preserveAspectRatio=\"xMidYMid slice\">"
               "<rect width=\"640\" height=\"400\" fill=\"#e8efd8\"/>"
               "<path d=\"M0 300 C160 250 240 360 400 310 S600 250 640 270 L640 400 L0 400Z\" "
               "fill=\"#a9d3f5\"/>"
               "<rect x=\"60\" y=\"40\" width=\"150\" height=\"90\" fill=\"#c8e6a0\"/>"
               "<g stroke=\"#ffffff\" stroke-width=\"10\" fill=\"none\">"
               "<path d=\"M0 200 L640 170\"/><path d=\"M320 0 L300 400\"/>"
               "<path d=\"M80 0 C200 120 440 80 640 60\"/></g>"
               "<g stroke=\"#f4c04a\" stroke-width=\"4\" fill=\"none\">"
               "<path d=\"M0 200 L640 170\"/></g>"
               "<path d=\"M310 185 c-18 0 -30 -13 -30 -29 c0 -22 30 -56 30 -56 s30 34 30 56 "
               "c0 16 -12 29 -30 29z\" transform=\"translate(0 -2)\" fill=\"#d93025\" "
               "stroke=\"#7a1a12\" stroke-width=\"2\"/>"
               "<circle cx=\"310\" cy=\"152\" r=\"9\" fill=\"#ffffff\"/>"
               "<text x=\"320\" y=\"230\" font-family=\"sans-serif\" font-size=\"16\" "
               "text-anchor=\"middle\" fill=\"#202020\">%1</text></svg>")
        .arg(caption);
}

} // namespace

StandinMapService::StandinMapService() {
    server_.Server().Get("/maps",
                         [this](const httplib::Request& request, httplib::Response& response) {
                             Record(request);
                             const QString q = DecodeText(request.get_param_value("q"));
                             const QByteArray page = MapPage(q);
                             response.set_content(page.constData(), std::size_t(page.size()),
                                                  "text/html; charset=utf-8");
                         });
    server_.Server().Get(R"(/.*)",
                         [this](const httplib::Request& request, httplib::Response& response) {
                             Record(request);
                             response.status = 404;
                             response.set_content("Page introuvable", "text/plain; charset=utf-8");
                         });
}

StandinMapService::~StandinMapService() = default;

bool StandinMapService::Start(int port) {
    return server_.Start(port);
}

QString StandinMapService::BaseUrl() const {
    return server_.Url(QStringLiteral("/maps?q="));
}

QList<RecordedRequest> StandinMapService::Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void StandinMapService::Record(const httplib::Request& request) {
    RecordedRequest recorded;
    recorded.path = QString::fromStdString(request.path);
    const std::string& target = request.target;
    const std::size_t question = target.find('?');
    if (question != std::string::npos)
        recorded.rawQuery = QByteArray::fromStdString(target.substr(question + 1));
    recorded.q = DecodeText(request.get_param_value("q"));
    for (const auto& [name, value] : request.headers)
        recorded.headers.insert(QByteArray::fromStdString(name).toLower(),
                                QByteArray::fromStdString(value));
    const std::lock_guard lock(mutex_);
    requests_.append(recorded);
}

std::optional<StandinMapService::Place> StandinMapService::Locate(const QString& q) {
    static const QRegularExpression pair(
        QStringLiteral(R"(^\s*(-?\d+(?:\.\d+)?)\s*,\s*(-?\d+(?:\.\d+)?)\s*$)"));
    if (const QRegularExpressionMatch match = pair.match(q); match.hasMatch()) {
        const double latitude = match.captured(1).toDouble();
        const double longitude = match.captured(2).toDouble();
        if (latitude >= -90 && latitude <= 90 && longitude >= -180 && longitude <= 180)
            return Place{latitude, longitude};
        return std::nullopt;
    }
    const QString wanted = u' ' + Normalise(q) + u' ';
    for (const KnownAddress& known : kKnownAddresses) {
        const auto has = [&wanted](const char* part) {
            return wanted.contains(u' ' + QString::fromUtf8(part) + u' ');
        };
        if (has(known.street) && has(known.city) && has(known.zip))
            return known.place;
    }
    return std::nullopt;
}

QByteArray StandinMapService::MapPage(const QString& q) {
    const std::optional<Place> place = Locate(q);
    QString state;
    QString caption = QStringLiteral("Lieu inconnu");
    if (place) {
        const QString latitude = Coordinate(place->latitude);
        const QString longitude = Coordinate(place->longitude);
        state = QStringLiteral("<script>var state={viewport:{center:{lat:%1,lng:%2},"
                               "span:{lat:0.01,lng:0.02}},zoom:15};</script>\n")
                    .arg(latitude, longitude);
        caption = latitude + QStringLiteral(", ") + longitude;
    }
    const QString page =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"fr\"><head><meta charset=\"utf-8\">"
                       "<title>Carte - %1</title>\n%2</head>\n"
                       "<body style=\"margin:0;overflow:hidden;font-family:sans-serif;"
                       "background:#e8efd8\">"
                       "<div style=\"padding:6px 10px;background:#ffffff;"
                       "border-bottom:1px solid #c0c0c0\">Recherche : <b id=\"query\">%1</b>"
                       "</div>\n<div id=\"map\" style=\"position:absolute;top:34px;bottom:0;left:0;"
                       "right:0\">%3</div></body></html>\n")
            .arg(q.toHtmlEscaped(), state, MapPicture(caption.toHtmlEscaped()));
    return page.toUtf8();
}

} // namespace tarnel::testing
