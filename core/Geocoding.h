#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace tarnel {

inline const QString kMissingDataMessage = QStringLiteral("Zone(s) de texte erronnée(s).");
inline const QString kMissingDataTitle = QStringLiteral("Erreur !");
inline const QString kNotFoundMessage = QStringLiteral("Pas de coordonnées GPS valides trouvées !");
inline const QString kNotFoundTitle = QStringLiteral("Erreur dans l'adresse");

// True when the country or the postal code is empty once trimmed.
bool MissingData(const QString& state, const QString& zipCode);

// The geocoding request: base URL, the four trimmed parts joined by ",+" (each as
// QueryValueText writes it), then every blank of the whole URL turned into "+".
QString GeocodingRequestUrl(const QString& baseUrl, const QString& street, const QString& city,
                            const QString& state, const QString& zipCode);

struct ExtractedCoordinates {
    QString latitude;  // exactly 12 characters
    QString longitude; // exactly 12 characters
};

// Cuts the first latitude/longitude pair out of a page (its bytes, windows-1252). The first
// ":{lat:" (letters in any case) counts; the first "}," after its "lat" must stand more than 20
// and less than 200 characters from it. The characters between the two markers are decoded
// and lower-cased; the latitude is what stands before their first comma, the longitude their
// last (length - comma position - 4) characters, each filled with "0" or cut to 12. Nothing
// when the arrangement is not there, a value reads as 0 or is beyond the number range.
std::optional<ExtractedCoordinates> ExtractCoordinates(QByteArrayView page);

} // namespace tarnel
