// The base layers: one Leaflet tile layer each, a switcher, the choice kept in the map view's
// own profile, and a French notice over the map when tiles cannot be had.

// A cookie rather than the page's storage: the service listens on another port at each run,
// and cookies, unlike storage, belong to the host whatever its port.
const CHOICE_COOKIE = "tarnel_base_layer";
const ONE_YEAR_S = 365 * 24 * 3600;

// Options that keep the requests to what the user looks at: tiles are asked once a pan or a
// zoom has ended, none for the levels crossed while zooming, and only one ring of tiles beyond
// the view is kept (Leaflet never asks for tiles outside the view).
const TILE_OPTIONS = {
    keepBuffer: 1,
    updateWhenIdle: true,
    updateWhenZooming: false,
};

function readChoice() {
    const cookie = document.cookie
        .split(";")
        .map((part) => part.trim())
        .find((part) => part.startsWith(`${CHOICE_COOKIE}=`));
    return cookie ? decodeURIComponent(cookie.slice(CHOICE_COOKIE.length + 1)) : null;
}

function keepChoice(id) {
    document.cookie =
        `${CHOICE_COOKIE}=${encodeURIComponent(id)}; max-age=${ONE_YEAR_S}; path=/; ` +
        "SameSite=Strict";
}

// Shows `notice` while the layer shown has tiles that failed since its last complete load.
function watchFailures(layer, notice) {
    let failures = 0;
    layer.on("loading", () => {
        failures = 0;
    });
    layer.on("tileerror", () => {
        failures += 1;
        notice.hidden = false;
    });
    layer.on("load", () => {
        notice.hidden = failures === 0;
    });
}

// Puts the layers of `definitions` ({id, name, url, attribution, maxZoom}) on `map`, the one
// last chosen shown; returns the id of the layer shown, or null when there is none.
export function addBaseLayers(L, map, definitions, notice) {
    if (definitions.length === 0) {
        notice.textContent =
            "Les fonds de carte sont désactivés dans la configuration de Tarnel (tarnel.conf).";
        notice.hidden = false;
        return null;
    }
    const byName = {};
    const ids = new Map();
    for (const definition of definitions) {
        const layer = L.tileLayer(definition.url, {
            ...TILE_OPTIONS,
            attribution: definition.attribution,
            maxZoom: definition.maxZoom,
        });
        watchFailures(layer, notice);
        byName[definition.name] = layer;
        ids.set(layer, definition.id);
    }
    const chosen = definitions.find((definition) => definition.id === readChoice()) ||
        definitions[0];
    byName[chosen.name].addTo(map);
    if (definitions.length > 1) {
        // Folded into one button, opened on hover or on keyboard focus, left of the map where
        // the panel of a point never covers it.
        const control = L.control.layers(byName, null, { collapsed: true, position: "topleft" });
        control.addTo(map);
        const box = control.getContainer();
        box.setAttribute("role", "group");
        box.setAttribute("aria-label", "Fonds de carte");
        const button = box.querySelector(".leaflet-control-layers-toggle");
        button.title = "Fonds de carte";
        button.setAttribute("role", "button");
        button.setAttribute("aria-label", "Choisir le fond de carte");
    }
    map.on("baselayerchange", (event) => {
        notice.hidden = true;
        keepChoice(ids.get(event.layer));
    });
    return chosen.id;
}
