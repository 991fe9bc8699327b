#include "core/ConicProjection.h"

#include <proj.h>

#include <cmath>
#include <map>
#include <string>

namespace tarnel {

namespace {

struct Area {
    double west = 0;
    double south = 0;
    double east = 0;
    double north = 0;

    bool Holds(GeoPoint point) const {
        return point.longitude >= west && point.longitude <= east && point.latitude >= south &&
               point.latitude <= north;
    }
};

struct Conic {
    PJ* transform = nullptr; // WGS 84 longitude, latitude to X, Y
    Area area;
};

// PROJ objects may not be shared between threads, so every thread that converts gets its own
// context and transformations, made at its first use of each system and kept for its life.
class ProjSession {
public:
    ProjSession()
        : context_(proj_context_create()) {
        proj_context_set_enable_network(context_, 0);
        proj_log_level(context_, PJ_LOG_NONE);
    }
    ~ProjSession() {
        for (auto& [epsg, conic] : conics_) {
            proj_destroy(conic.transform);
        }
        proj_context_destroy(context_);
    }
    ProjSession(const ProjSession&) = delete;
    ProjSession& operator=(const ProjSession&) = delete;

    const Conic* Find(int epsg) {
        if (const auto known = conics_.find(epsg); known != conics_.end()) {
            return known->second.transform ? &known->second : nullptr;
        }
        Conic& conic = conics_[epsg];
        conic = Make(epsg);
        return conic.transform ? &conic : nullptr;
    }

private:
    Conic Make(int epsg) {
        const std::string code = "EPSG:" + std::to_string(epsg);
        Conic conic;
        PJ* crs = proj_create(context_, code.c_str());
        const bool hasArea =
            crs && proj_get_area_of_use(context_, crs, &conic.area.west, &conic.area.south,
                                        &conic.area.east, &conic.area.north, nullptr);
        proj_destroy(crs);
        PJ* raw = proj_create_crs_to_crs(context_, "EPSG:4326", code.c_str(), nullptr);
        if (raw && hasArea) {
            conic.transform = proj_normalize_for_visualization(context_, raw);
        }
        proj_destroy(raw);
        return conic;
    }

    PJ_CONTEXT* context_;
    std::map<int, Conic> conics_;
};

const Conic* FindConic(int epsg) {
    const bool known =
        epsg == kLambert93 || (epsg >= CcEpsg(kFirstCcZone) && epsg <= CcEpsg(kLastCcZone));
    if (!known) {
        return nullptr;
    }
    thread_local ProjSession session;
    return session.Find(epsg);
}

} // namespace

int CcZoneFor(double latitude) {
    // The outer zones reach a little beyond their nominal degree: their areas of use decide.
    if (!(latitude >= kFirstCcZone - 2 && latitude <= kLastCcZone + 2)) {
        return 0;
    }
    const int zone = static_cast<int>(std::lround(latitude));
    return zone < kFirstCcZone ? kFirstCcZone : zone > kLastCcZone ? kLastCcZone : zone;
}

std::optional<ProjectedPoint> ToConic(int epsg, GeoPoint point) {
    const Conic* conic = FindConic(epsg);
    if (!conic || !OnEarth(point) || !conic->area.Holds(point)) {
        return std::nullopt;
    }
    const PJ_COORD out =
        proj_trans(conic->transform, PJ_FWD, proj_coord(point.longitude, point.latitude, 0, 0));
    if (!std::isfinite(out.xy.x) || !std::isfinite(out.xy.y)) {
        return std::nullopt;
    }
    return ProjectedPoint{out.xy.x, out.xy.y};
}

std::optional<GeoPoint> FromConic(int epsg, ProjectedPoint xy) {
    const Conic* conic = FindConic(epsg);
    if (!conic || !std::isfinite(xy.x) || !std::isfinite(xy.y)) {
        return std::nullopt;
    }
    const PJ_COORD out = proj_trans(conic->transform, PJ_INV, proj_coord(xy.x, xy.y, 0, 0));
    const GeoPoint point{out.lp.phi, out.lp.lam};
    if (!OnEarth(point) || !conic->area.Holds(point)) {
        return std::nullopt;
    }
    return point;
}

} // namespace tarnel
