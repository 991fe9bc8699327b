// The page's clustered layers of markers (the user's places, the points of a file of
// addresses): thousands of markers go in by chunks, the page answering in between.

// The clusters need a highest zoom, which a map without base layers lacks.
const LAST_ZOOM = 19;

// A leaflet.markercluster group for `map`, `progress(done, total)` told after each chunk it
// adds and `options` over the page's own; a plain feature group, which adds at once and tells
// no progress, when the package is missing.
export function clusterLayer(L, map, progress, options = {}) {
    if (map.getMaxZoom() === Infinity) {
        map.setMaxZoom(LAST_ZOOM);
    }
    if (!L.markerClusterGroup) {
        return L.featureGroup();
    }
    return L.markerClusterGroup({
        chunkedLoading: true,
        chunkDelay: 0,
        chunkProgress: progress,
        showCoverageOnHover: false,
        ...options,
    });
}
