#pragma once

#include "geocoding/Geocoder.h"

#include <QString>
#include <optional>

namespace tarnel {

// Reads a decoded query value as the main window's Latitude and Longitude boxes joined by a
// comma. Each box may hold:
// - decimal degrees ("48.8584", "-.5", "48,8584" with a decimal comma);
// - degrees-minutes-seconds, strict ("48°51'23\"", a sign on the degrees) or loose ("48° 51'
//   30,2\" N", "N 48 51 30.2", "2°17'40\"O"): blanks, a hemisphere letter before or after
//   (N/S, E/O/W), decimal seconds with a full stop or a comma;
// - degrees and decimal minutes ("48°51.504'N", "N 48 51.504");
// - Lambert 93 metres, X in one box and Y in the other in either order, told apart by their
//   ranges ("648237.30", "6 862 271,68", "X = 648237.30 m").
// A comma is either the boxes' separator or a decimal comma: the text is cut where both sides
// read; a text that reads as two different pairs ("1,2,3") gets no place, and a problem.
struct CoordinateQuery {
    bool isPair = false;        // the text is meant as a pair: only digits, blanks, signs, marks,
                                // hemisphere letters, and one to three commas
    std::optional<Place> place; // set when the pair reads and lies within its form's range
    QString problem;            // otherwise, for a pair: the French explanation of which box
                                // was not understood and the forms accepted
};
CoordinateQuery ParseCoordinates(const QString& text);

} // namespace tarnel
