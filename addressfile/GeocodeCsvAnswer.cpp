#include "addressfile/GeocodeCsvAnswer.h"

#include "spreadsheet/CsvDialectDetection.h"
#include "spreadsheet/CsvReader.h"

#include <QBuffer>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>

namespace tarnel {

namespace {

std::optional<double> Number(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString ServiceError(const QByteArray& body) {
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    const QString message = object.value(QStringLiteral("message")).toString();
    return message.isEmpty()
               ? QStringLiteral("La réponse du service n'est pas un fichier géocodé.")
               : QStringLiteral("Le service de géocodage a refusé le fichier : %1").arg(message);
}

// An answer that is no geocoded file: every row sent is still to ask.
GeocodeCsvAnswer Unread(const QByteArray& body, const QStringList& sentIds) {
    GeocodeCsvAnswer answer;
    answer.error = ServiceError(body);
    answer.missingIds = sentIds;
    answer.cutShort = !sentIds.isEmpty();
    return answer;
}

} // namespace

GeocodeCsvAnswer ReadGeocodeCsvAnswer(const QByteArray& body, const QString& idColumn,
                                      const QStringList& sentIds) {
    if (body.trimmed().startsWith('{')) {
        return Unread(body, sentIds);
    }
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(body);
    buffer->open(QIODevice::ReadOnly);
    CsvReader reader(std::move(buffer), DetectCsvDialect(body.left(64 * 1024), true, true));

    Row header;
    reader.NextRow(header);
    QHash<QString, qsizetype> columns;
    for (qsizetype i = 0; i < header.size(); ++i) {
        columns.insert(header[i].text.trimmed(), i);
    }
    const auto idAt = columns.value(idColumn, -1);
    bool geocoded = false;
    for (const Cell& cell : header) {
        geocoded = geocoded || cell.text.startsWith(QStringLiteral("result_")) ||
                   cell.text == QStringLiteral("latitude");
    }
    if (idAt < 0 || !geocoded) {
        return Unread(body, sentIds);
    }

    GeocodeCsvAnswer answer;
    answer.rows.reserve(sentIds.size());
    const QSet<QString> sent(sentIds.cbegin(), sentIds.cend());
    QSet<QString> answered;
    Row row;
    while (reader.NextRow(row)) {
        const bool blank = row.size() == 1 && row.front().text.isEmpty();
        if (blank) {
            continue;
        }
        if (row.size() < header.size() || !reader.LastRowEnded()) {
            answer.cutShort = true;
            continue;
        }
        auto field = [&](const char* name) {
            const qsizetype at = columns.value(QLatin1String(name), -1);
            return at >= 0 ? row[at].text : QString();
        };
        GeocodedRow geocoded;
        geocoded.id = row[idAt].text;
        if (!sent.contains(geocoded.id) || answered.contains(geocoded.id)) {
            continue;
        }
        answered.insert(geocoded.id);
        geocoded.latitude = Number(field("latitude"));
        geocoded.longitude = Number(field("longitude"));
        geocoded.score = Number(field("result_score"));
        geocoded.scoreNext = Number(field("result_score_next"));
        geocoded.label = field("result_label");
        geocoded.type = field("result_type");
        geocoded.housenumber = field("result_housenumber");
        geocoded.street = field("result_street");
        if (geocoded.street.isEmpty()) {
            const QString name = field("result_name");
            const QString number = geocoded.housenumber + u' ';
            geocoded.street = !geocoded.housenumber.isEmpty() && name.startsWith(number)
                                  ? name.mid(number.size())
                                  : name;
        }
        geocoded.postcode = field("result_postcode");
        geocoded.city = field("result_city");
        geocoded.citycode = field("result_citycode");
        geocoded.context = field("result_context");
        geocoded.resultId = field("result_id");
        geocoded.status = field("result_status").trimmed().toLower();
        if (geocoded.status.isEmpty()) {
            const bool found = (geocoded.latitude && geocoded.longitude) ||
                               !geocoded.resultId.isEmpty() || !geocoded.label.isEmpty();
            geocoded.status = found ? QStringLiteral("ok") : QStringLiteral("not-found");
        }
        answer.rows.append(geocoded);
    }
    for (const QString& id : sentIds) {
        if (!answered.contains(id)) {
            answer.missingIds.append(id);
        }
    }
    answer.cutShort = answer.cutShort || !answer.missingIds.isEmpty();
    return answer;
}

} // namespace tarnel
