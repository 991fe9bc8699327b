// Fuzz target of the reading of one typed angle (ReadAngle), the text of a Latitude or a
// Longitude box.
//
// Checked on every input, besides no crash and no sanitizer report:
// - an angle read is finite and within ±90 for a latitude, ±180 for a longitude;
// - write/read round trip: any angle in range, written in degrees-minutes-seconds (0.01") or
//   in degrees and decimal minutes (0.001'), reads back within half the last digit.

#include "core/AngleText.h"
#include "fuzz/FuzzSupport.h"

#include <cmath>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

void RequireBack(const QString& text, Axis axis, double degrees, double tolerance) {
    const AngleReading back = ReadAngle(text, axis);
    Require(back.outcome == AngleReading::Outcome::Read &&
                std::abs(back.degrees - degrees) <= tolerance,
            "a written angle reads back", Shown(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // The text first, so that a seed file is read whole as the text.
    const std::string typed = input.ConsumeRandomLengthString();
    const QString text = QString::fromUtf8(typed.data(), static_cast<qsizetype>(typed.size()));
    const Axis axis = input.ConsumeBool() ? Axis::Latitude : Axis::Longitude;
    const double limit = axis == Axis::Latitude ? 90 : 180;
    const double angle = input.ConsumeFloatingPointInRange(-limit, limit);

    const AngleReading reading = ReadAngle(text, axis);
    Require(reading.outcome != AngleReading::Outcome::Read ||
                (std::isfinite(reading.degrees) && std::abs(reading.degrees) <= limit),
            "an angle read lies on Earth", Shown(text));

    RequireBack(DmsAngleText(angle, axis), axis, angle, 0.005 / 3600 + 1e-12);
    RequireBack(DdmAngleText(angle, axis), axis, angle, 0.0005 / 60 + 1e-12);
    return 0;
}
