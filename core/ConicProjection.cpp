#include "core/ConicProjection.h"

#include <proj.h>

#include <cmath>
#include <map>
#include <mutex>
#include <optional>
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

// One PROJ context and its transformations for the whole program, made at the first use of
// each system and kept. PROJ objects must not be used by two threads at once, so every use
// holds the lock. A context per thread was measured and rejected: the map service runs each
// connection on a thread of its own, and making a context and its transformation from proj.db
// costs about 35 ms, against under a microsecond for each transformation held here.
class ProjSession {
public:
    ProjSession()
        : context_(proj_context_create()) {
        proj_context_set_enable_network(context_, 0);
        // Failures come back as missing forms and French messages, not on the standard error.
        proj_log_func(context_, nullptr, [](void*, int, const char*) {});
    }
    ~ProjSession() {
        for (auto& [epsg, conic] : conics_) {
            proj_destroy(conic.transform);
        }
        proj_context_destroy(context_);
    }
    ProjSession(const ProjSession&) = delete;
    ProjSession& operator=(const ProjSession&) = delete;

    // `direction` applied to `in` in the system `epsg`; nothing when PROJ cannot, or when the
    // geographic side lies outside the system's area of use.
    std::optional<PJ_COORD> Transform(int epsg, PJ_DIRECTION direction, PJ_COORD in) {
        const std::lock_guard lock(mutex_);
        const Conic* conic = Find(epsg);
        if (!conic || (direction == PJ_FWD && !conic->area.Holds({in.v[1], in.v[0]}))) {
            return std::nullopt;
        }
        const PJ_COORD out = proj_trans(conic->transform, direction, in);
        if (!std::isfinite(out.v[0]) || !std::isfinite(out.v[1]) ||
            (direction == PJ_INV && !conic->area.Holds({out.v[1], out.v[0]}))) {
            return std::nullopt;
        }
        return out;
    }

    bool Available(int epsg) {
        const std::lock_guard lock(mutex_);
        return Find(epsg) != nullptr;
    }

private:
    const Conic* Find(int epsg) {
        if (const auto known = conics_.find(epsg); known != conics_.end()) {
            return known->second.transform ? &known->second : nullptr;
        }
        Conic& conic = conics_[epsg];
        conic = Make(epsg);
        return conic.transform ? &conic : nullptr;
    }

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

    std::mutex mutex_;
    PJ_CONTEXT* context_;
    std::map<int, Conic> conics_;
};

ProjSession* SessionFor(int epsg) {
    const bool known =
        epsg == kLambert93 || (epsg >= CcEpsg(kFirstCcZone) && epsg <= CcEpsg(kLastCcZone));
    static ProjSession session;
    return known ? &session : nullptr;
}

std::optional<PJ_COORD> Transform(int epsg, PJ_DIRECTION direction, PJ_COORD in) {
    ProjSession* session = SessionFor(epsg);
    return session ? session->Transform(epsg, direction, in) : std::nullopt;
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
    if (!OnEarth(point)) {
        return std::nullopt;
    }
    const auto out = Transform(epsg, PJ_FWD, proj_coord(point.longitude, point.latitude, 0, 0));
    return out ? std::optional(ProjectedPoint{out->xy.x, out->xy.y}) : std::nullopt;
}

bool ConicAvailable(int epsg) {
    ProjSession* session = SessionFor(epsg);
    return session && session->Available(epsg);
}

std::optional<GeoPoint> FromConic(int epsg, ProjectedPoint xy) {
    if (!std::isfinite(xy.x) || !std::isfinite(xy.y)) {
        return std::nullopt;
    }
    const auto out = Transform(epsg, PJ_INV, proj_coord(xy.x, xy.y, 0, 0));
    return out ? std::optional(GeoPoint{out->lp.phi, out->lp.lam}) : std::nullopt;
}

} // namespace tarnel
