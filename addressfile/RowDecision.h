#pragma once

#include "addressfile/GeocodeCsvAnswer.h"
#include "addressfile/RowOutcome.h"
#include "geocoding/AddressQuery.h"
#include "geocoding/Geocoder.h"

#include <QString>
#include <optional>

namespace tarnel {

// The names the output gives the two sources.
QString FrenchSourceName();
QString WorldSourceName();

// Weighs the CSV geocoding's answer for one row by the French rule (FitFeature): the place is
// taken when its town, postal code (or département), street and number agree with `typed`.
// Nothing is decided — the row is to be asked again alone — when the answer is no place, or
// does not fit, or gives a locality or a town where a house was typed, or when nothing typed
// tells it apart from the service's second guess (no town nor postal code typed, or a second
// guess scored within kAlikeScores).
std::optional<RowOutcome> DecideCsvRow(const GeocodedRow& answer, const AddressQuery& typed);

// Scores this close are guesses the service cannot tell apart.
inline constexpr double kAlikeScores = 0.02;

// Decides a row asked alone of a geocoder that applies the rule itself (`source` names it):
// Found with no other place is taken; with others it is to be checked, the places listed;
// NoMatch is not found (saying that `rejected`, the CSV answer's place, does not fit, when there
// was one); Refused, Failed and the connection failures are errors.
RowOutcome DecideAlone(const GeocodeResult& result, const AddressQuery& typed,
                       const QString& source, const QString& rejected = {});

} // namespace tarnel
