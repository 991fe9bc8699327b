// Fuzz target of ReadGeocodeCsvAnswer, the reader of the CSV geocoding service's answers.
//
// Checked on every input, besides no crash and no sanitizer report, for the identifiers
// "1", "2", "3" sent in column "id":
// - every row answered carries an identifier that was sent, at most once;
// - the identifiers answered and those missing are, together, exactly those sent, in the
//   order sent for the missing ones;
// - an answer missing rows is marked cut short;
// - an answer refused as a whole (a message) has no row and misses every identifier;
// - a status is one of the service's words or what the reader tells from the coordinates,
//   and coordinates read are finite numbers.

#include "addressfile/GeocodeCsvAnswer.h"
#include "fuzz/FuzzSupport.h"

#include <QSet>
#include <cmath>

using namespace tarnel;
using tarnel::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList sent = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    const GeocodeCsvAnswer answer = ReadGeocodeCsvAnswer(body, QStringLiteral("id"), sent);
    QSet<QString> answered;
    for (const GeocodedRow& row : answer.rows) {
        Require(sent.contains(row.id), "an answered row was sent", row.id);
        Require(!answered.contains(row.id), "a row is answered once", row.id);
        answered.insert(row.id);
        Require(!row.status.isEmpty(), "every row has a status");
        Require(!row.latitude || std::isfinite(*row.latitude), "a finite latitude");
        Require(!row.longitude || std::isfinite(*row.longitude), "a finite longitude");
    }
    QStringList missing;
    for (const QString& id : sent) {
        if (!answered.contains(id)) {
            missing.append(id);
        }
    }
    Require(answer.missingIds == missing, "the missing rows are those not answered",
            answer.missingIds.join(u','));
    Require(missing.isEmpty() || answer.cutShort, "a short answer is marked");
    if (!answer.error.isEmpty()) {
        Require(answer.rows.isEmpty() && answer.missingIds == sent, "a refusal answers nothing");
    }
    return 0;
}
