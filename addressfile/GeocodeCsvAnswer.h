#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tarnel {

// One row of the answer of the Géoplateforme's CSV geocoding (POST /geocodage/search/csv).
struct GeocodedRow {
    QString id;     // the row's value in the identifying column that was sent
    QString status; // "ok", "not-found", "skipped", "error"; when the answer gives none (no
                    // result_status column before 2023, or an empty one), "ok" for a row
                    // with coordinates, a result id or a label, "not-found" otherwise
    std::optional<double> latitude;
    std::optional<double> longitude;
    std::optional<double> score;
    std::optional<double> scoreNext; // the score of the service's second guess
    QString label;
    QString type; // housenumber, street, locality, municipality
    QString housenumber;
    QString street; // result_street, or result_name without its number when it is empty
    QString postcode;
    QString city;
    QString citycode;
    QString context; // "75, Paris, Île-de-France"
    QString resultId;
};

// What an answer held, checked against the rows sent.
struct GeocodeCsvAnswer {
    QList<GeocodedRow> rows; // in the answer's order, one per identifier sent at most
    QStringList missingIds;  // identifiers sent that no whole row answered, in the order sent
    bool cutShort = false;   // rows are missing, or the answer stops in the middle of a row
    QString error;           // in French, when the body is no geocoded CSV at all
};

// Reads the answer `body` by column name (the service keeps the columns sent, then adds its
// own, in an order that changed over the years), its separator told from the body. Rows are
// matched to those sent by `idColumn`, holding the identifiers `sentIds`: a row that the
// answer leaves out, a row with fewer fields than the header and a last row without its line
// break (a transfer cut short) are counted missing, never read in part. Rows with an
// identifier not sent, or sent once and answered twice, are left out.
GeocodeCsvAnswer ReadGeocodeCsvAnswer(const QByteArray& body, const QString& idColumn,
                                      const QStringList& sentIds);

} // namespace tarnel
