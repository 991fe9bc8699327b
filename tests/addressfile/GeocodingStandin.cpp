#include "tests/addressfile/GeocodingStandin.h"

#include "spreadsheet/CsvDialectDetection.h"
#include "spreadsheet/CsvReader.h"
#include "spreadsheet/CsvWriter.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <thread>

namespace tarnel::testing {

using namespace std::chrono;

namespace {

// The recorded answer `name`.json in `dir`.
QByteArray Recorded(const char* name, const char* dir = GEOCODER_RECORDED_DIR) {
    QFile file(u"%1/%2.json"_qs.arg(dir, name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing recorded answer %s", name);
    return file.readAll();
}

// The members of a feature's properties the Géoplateforme writes as result_ columns, in its
// order (batch/stream/results.js), between result_score_next and result_status.
const char* const kResultMembers[] = {
    "label", "type",    "id",       "housenumber", "name",    "street",  "postcode",
    "city",  "context", "citycode", "oldcitycode", "oldcity", "district"};

Row ResultColumns() {
    Row columns = {
        {u"longitude"_qs}, {u"latitude"_qs}, {u"result_score"_qs}, {u"result_score_next"_qs}};
    for (const char* member : kResultMembers)
        columns.append({u"result_"_qs + QLatin1String(member)});
    return columns << Cell{u"result_status"_qs};
}

// The result columns of the best feature of a GeoCodeJSON answer.
Row ResultFields(const QByteArray& geocodeJson) {
    const QJsonArray features =
        QJsonDocument::fromJson(geocodeJson).object().value(u"features"_qs).toArray();
    const QJsonObject best = features.at(0).toObject();
    const QJsonObject properties = best.value(u"properties"_qs).toObject();
    const QJsonArray point =
        best.value(u"geometry"_qs).toObject().value(u"coordinates"_qs).toArray();
    const auto text = [](const QJsonValue& value) {
        return value.isDouble() ? QString::number(value.toDouble(), 'g', 10) : value.toString();
    };
    Row fields = {
        {text(point.at(0))},
        {text(point.at(1))},
        {text(properties.value(u"score"_qs))},
        {text(features.at(1).toObject().value(u"properties"_qs).toObject().value(u"score"_qs))}};
    for (const char* member : kResultMembers)
        fields.append({text(properties.value(QLatin1String(member)))});
    return fields << Cell{features.isEmpty() ? u"not-found"_qs : u"ok"_qs};
}

} // namespace

GeocodingStandin::GeocodingStandin() {
    // Under no key: the answer to a text with no recording.
    ban_.insert({}, Recorded("ban-addok-provider-no-feature"));
    nominatim_.insert({}, Recorded("nominatim-geocoder-php-empty"));
    ban_.insert(u"18 rue duhesme"_qs, Recorded("ban-pass-culture-18-rue-duhesme"));
    ban_.insert(u"8 bd du port"_qs, Recorded("ban-8-bd-du-port"));
    ban_.insert(u"meaux"_qs, Recorded("ban-addok-provider-meaux"));
    ban_.insert(u"21 lotissement clos du parc"_qs,
                Recorded("ban-2116-wrong-departement", ANSWER_DATA_DIR));
    nominatim_.insert(u"10 downing street"_qs,
                      Recorded("nominatim-geocoder-php-10-downing-street"));

    server_.Server().Post("/geocodage/search/csv", [this](const auto& request, auto& response) {
        AnswerCsv(request, response);
    });
    server_.Server().Get("/geocodage/search", [this](const auto& request, auto& response) {
        const QString text = QString::fromStdString(request.get_param_value("q"));
        const std::lock_guard lock(mutex_);
        ++searchAsks_[text];
        response.set_content(RecordedFor(text, false).toStdString(), "application/json");
    });
    server_.Server().Get("/nominatim/search", [this](const auto& request, auto& response) {
        const std::string street = request.has_param("street") ? request.get_param_value("street")
                                                               : request.get_param_value("q");
        response.set_content(RecordedFor(QString::fromStdString(street), true).toStdString(),
                             "application/json");
    });
}

QHash<QString, int> GeocodingStandin::CsvAsks() const {
    const std::lock_guard lock(mutex_);
    return csvAsks_;
}

QList<int> GeocodingStandin::CsvAsksSince(const QHash<QString, int>& before, int rows) const {
    const QHash<QString, int> after = CsvAsks();
    QList<int> asked;
    for (int i = 0; i < rows; ++i)
        asked.append(after.value(QString::number(i)) - before.value(QString::number(i)));
    return asked;
}

QHash<QString, int> GeocodingStandin::SearchAsks() const {
    const std::lock_guard lock(mutex_);
    return searchAsks_;
}

QByteArray GeocodingStandin::RecordedFor(const QString& text, bool nominatim) const {
    const QHash<QString, QByteArray>& answers = nominatim ? nominatim_ : ban_;
    return answers.value(text.section(u',', 0, 0).trimmed().toLower(), answers.value({}));
}

void GeocodingStandin::AnswerCsv(const httplib::Request& request, httplib::Response& response) {
    const auto start = steady_clock::now();
    ++csvRequests_;
    if (refuseNext_.exchange(false)) {
        response.status = 429;
        response.set_header("Retry-After", "1");
        response.set_content("Too Many Requests", "text/plain");
        return;
    }
    const QByteArray body = QByteArray::fromStdString(request.get_file_value("data").content);
    QStringList columns;
    const auto [first, last] = request.files.equal_range("columns");
    for (auto column = first; column != last; ++column)
        columns.append(QString::fromStdString(column->second.content));
    const TableDialect dialect = DetectCsvDialect(body, true, true);
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(body);
    buffer->open(QIODevice::ReadOnly);
    CsvReader reader(std::move(buffer), dialect);
    Row header;
    reader.NextRow(header);
    const CsvWriter writer(dialect);
    QByteArrayList out = {writer.RowText(header + ResultColumns()).toUtf8()};
    Row row;
    while (reader.NextRow(row)) {
        QStringList query;
        Row answered;
        for (qsizetype i = 0; i < header.size(); ++i) {
            answered.append(row.value(i));
            if (columns.contains(header[i].text))
                query.append(answered.back().text);
        }
        const std::lock_guard lock(mutex_);
        ++csvAsks_[row.value(0).text];
        out.append(
            writer.RowText(answered + ResultFields(RecordedFor(query.join(u' '), false))).toUtf8());
    }
    out.resize(std::max<qsizetype>(1, out.size() - cutRows_.exchange(0)));
    std::this_thread::sleep_for(csvDelay_.load() + csvRowTime_.load() * (out.size() - 1));
    response.set_header("x-rows-count", std::to_string(out.size() - 1));
    response.set_content(out.join().toStdString(), "text/csv");
    csvTime_ += duration_cast<microseconds>(steady_clock::now() - start).count();
}

} // namespace tarnel::testing
