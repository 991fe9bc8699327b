// Prints, for each "<latitude> <longitude>" line of the standard input, the program's values
// of the projected forms, for bench/measure.sh to set beside cs2cs and GeoConvert:
//     <l93 X> <l93 Y> <CC zone> <CC X> <CC Y> <UTM zone><N|S> <easting> <northing>
// with "-" for a form that does not cover the point.

#include "core/ConicProjection.h"
#include "core/UtmGrid.h"

#include <cstdio>

using namespace tarnel;

int main() {
    GeoPoint point;
    while (std::scanf("%lf %lf", &point.latitude, &point.longitude) == 2) {
        const auto lambert = ToConic(kLambert93, point);
        const int zone = CcZoneFor(point.latitude);
        const auto cc = zone ? ToConic(CcEpsg(zone), point) : std::nullopt;
        const auto utm = ToUtm(point);
        if (lambert) {
            std::printf("%.4f %.4f", lambert->x, lambert->y);
        } else {
            std::printf("- -");
        }
        if (cc) {
            std::printf(" %d %.4f %.4f", zone, cc->x, cc->y);
        } else {
            std::printf(" - - -");
        }
        if (utm) {
            std::printf(" %d%c %.4f %.4f\n", utm->zone, utm->north ? 'N' : 'S', utm->easting,
                        utm->northing);
        } else {
            std::printf(" - - -\n");
        }
    }
    return 0;
}
