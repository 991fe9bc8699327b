#pragma once

#include <QString>
#include <optional>

namespace tarnel {

// What became of one row of a file of addresses.
enum class RowStatus {
    Found,    // one place fits the address: its coordinates are given
    ToCheck,  // several places fit it alike: none is guessed
    NotFound, // no place fits it, or the row holds no address
    Error,    // the row cannot be looked up as it is, or the service refused it
};

// The row's status as the output file writes it: "trouvée", "à vérifier", "introuvable",
// "erreur".
QString RowStatusText(RowStatus status);

// The columns a row gets in the output file.
struct RowOutcome {
    RowStatus status = RowStatus::Error;
    std::optional<double> latitude;
    std::optional<double> longitude;
    QString label;     // the address of the place taken, as the service writes it
    QString precision; // "numéro", "rue", "commune"; empty when no place was taken
    QString source;    // "Base Adresse Nationale", "OpenStreetMap Nominatim"
    QString remark;    // why no place was taken, in French
    QString cityCode;  // the INSEE code of the place's commune, when its answer gives it
    std::optional<double> altitude; // of the place found, in metres, once asked and known

    friend bool operator==(const RowOutcome&, const RowOutcome&) = default;
};

// The outcome of a row that cannot be looked up, with `remark`.
RowOutcome RowFailure(RowStatus status, const QString& remark);

} // namespace tarnel
