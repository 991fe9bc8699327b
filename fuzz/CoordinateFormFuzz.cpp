// Fuzz target of the readers of the coordinate forms (ReadCoordinateForm): decimal degrees,
// degrees-minutes-seconds, degrees and decimal minutes, Lambert 93, CC zones, UTM and MGRS,
// as a user may paste them back.
//
// Checked on every input, besides no crash and no sanitizer report:
// - a place read always lies on Earth (finite, ±90, ±180), whatever the form and the text;
// - write/read round trip: every form CoordinateForms writes for a point on Earth reads back
//   to within the form's precision on both axes (a few centimetres for the metres, 0.25 m for
//   0.01", 1.4 m for 0.001', 1 m for the centre of a 1 m MGRS square).

#include "core/CoordinateFormReading.h"
#include "core/CoordinateForms.h"
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

using namespace tarnel;
using tarnel::fuzz::Require;
using tarnel::fuzz::Shown;

namespace {

constexpr std::array kKeys = {u"dd", u"dms", u"ddm", u"l93", u"cc", u"utm", u"mgrs"};

// Metres between two points along a sphere a little larger than the Earth, so as to err long;
// the haversine formula, sound near the poles where longitudes crowd.
double Metres(GeoPoint a, GeoPoint b) {
    constexpr double kRadius = 6'400'000;
    constexpr double kRadians = M_PI / 180;
    const double north = std::sin((a.latitude - b.latitude) * kRadians / 2);
    const double east = std::sin((a.longitude - b.longitude) * kRadians / 2);
    const double h = north * north + std::cos(a.latitude * kRadians) *
                                         std::cos(b.latitude * kRadians) * east * east;
    return 2 * kRadius * std::asin(std::min(1.0, std::sqrt(h)));
}

// Half the last digit on both axes, in metres.
double Precision(const QString& key) {
    if (key == u"dms") {
        return 0.25;
    }
    if (key == u"ddm") {
        return 1.4;
    }
    if (key == u"mgrs") {
        return 1.0;
    }
    return 0.05;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // The text first, so that a seed file is read whole as the text.
    const std::string typed = input.ConsumeRandomLengthString();
    const QString text = QString::fromUtf8(typed.data(), static_cast<qsizetype>(typed.size()));
    const GeoPoint point{input.ConsumeFloatingPointInRange(-90.0, 90.0),
                         input.ConsumeFloatingPointInRange(-180.0, 180.0)};
    const QStringView key =
        kKeys.at(input.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1));

    const auto read = ReadCoordinateForm(key, text);
    Require(!read || OnEarth(*read), "a place read lies on Earth", Shown(text));

    for (const CoordinateForm& form : CoordinateForms(point.latitude, point.longitude)) {
        const auto back = ReadCoordinateForm(form.key, form.text);
        Require(back && Metres(*back, point) <= Precision(form.key), "a written form reads back",
                Shown(form.text));
    }
    return 0;
}
