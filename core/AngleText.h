#pragma once

#include <QString>
#include <QStringView>

namespace tarnel {

enum class Axis { Latitude, Longitude };

// Degrees-minutes-seconds, seconds to 0.01", with the French hemisphere letter (N/S, E/O):
// 48°51'30.24"N, 2°17'40.20"E, 0°00'00.00"N. Rounding carries into minutes and degrees.
QString DmsAngleText(double degrees, Axis axis);

// Degrees and decimal minutes, minutes to 0.001': 48°51.504'N, 2°17.670'O.
QString DdmAngleText(double degrees, Axis axis);

// One angle as people type it:
// - a sign or a hemisphere letter (N/S for a latitude, E/O/W for a longitude, either case)
//   before or after, not both;
// - one to three numbers, degrees, minutes, seconds, each optionally followed by its mark
//   (°, º; ', ’, ′; ", ″, ”, ''; or a colon after degrees and minutes, 48:51:30.2N, as
//   GeoConvert writes them), parted by marks or blanks;
// - only the last number may have decimals, written with a full stop or a comma.
// "48.8584", "-2°17'40\"", "48° 51' 30,2\" N", "N 48 51.504", "2°17.670'O".
struct AngleReading {
    enum class Outcome {
        Read,
        Unreadable, // not written as an angle of this axis
        OutOfRange, // beyond ±90 or ±180, or minutes or seconds of 60 or more
    };
    Outcome outcome = Outcome::Unreadable;
    double degrees = 0;
};
AngleReading ReadAngle(QStringView text, Axis axis);

} // namespace tarnel
