#pragma once

#include "mapservice/Geocoder.h"

#include <QString>
#include <optional>

namespace tarnel {

// Reads a decoded query value as a latitude/longitude pair, each side written as the program
// writes coordinates:
// - decimal degrees with a full stop ("48.8584", "-.5"), the pair split by one comma
//   ("48.8584,2.2945");
// - decimal degrees typed with a decimal comma, four groups of digits ("48,8584,2,2945");
// - degrees-minutes-seconds, 48°51'23" (degree sign, apostrophe, double quote, a sign on the
//   degrees only, whole or decimal seconds), either side on its own ("48°51'23\",2.2945").
// Blanks around each side are ignored.
struct CoordinateQuery {
    bool isPair = false;        // the text is written as one of these pairs
    std::optional<Place> place; // set when the pair also lies on Earth (±90, ±180, minutes and
                                // seconds below 60)
};
CoordinateQuery ParseCoordinates(const QString& text);

} // namespace tarnel
