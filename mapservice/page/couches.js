// The base layers: one Leaflet tile layer each, a switcher, the choice kept in the map view's
// own profile, and a French notice over the map when tiles cannot be had.

// A cookie rather than the page's storage: the service listens on another port at each run,
// and cookies, unlike storage, belong to the host whatever its port.
const COOKIE_FOND = "tarnel_fond";
const UN_AN_S = 365 * 24 * 3600;

// Options that keep the requests to what the user looks at: tiles are asked once a pan or a
// zoom has ended, none for the levels crossed while zooming, and only one ring of tiles beyond
// the view is kept (Leaflet never asks for tiles outside the view).
const OPTIONS_TUILES = {
    keepBuffer: 1,
    updateWhenIdle: true,
    updateWhenZooming: false,
};

function lireChoix() {
    const cookie = document.cookie
        .split(";")
        .map((part) => part.trim())
        .find((part) => part.startsWith(`${COOKIE_FOND}=`));
    return cookie ? decodeURIComponent(cookie.slice(COOKIE_FOND.length + 1)) : null;
}

function garderChoix(id) {
    document.cookie =
        `${COOKIE_FOND}=${encodeURIComponent(id)}; max-age=${UN_AN_S}; path=/; SameSite=Strict`;
}

// Shows `avis` while the layer shown has tiles that failed since its last complete load.
function suivreEchecs(couche, avis) {
    let echecs = 0;
    couche.on("loading", () => {
        echecs = 0;
    });
    couche.on("tileerror", () => {
        echecs += 1;
        avis.hidden = false;
    });
    couche.on("load", () => {
        avis.hidden = echecs === 0;
    });
}

// Puts the layers of `definitions` ({id, name, url, attribution, maxZoom}) on `carte`, the one
// last chosen shown; returns the id of the layer shown, or null when there is none.
export function poserCouches(L, carte, definitions, avis) {
    if (definitions.length === 0) {
        avis.textContent =
            "Les fonds de carte sont désactivés dans la configuration de Tarnel (tarnel.conf).";
        avis.hidden = false;
        return null;
    }
    const parNom = {};
    const ids = new Map();
    for (const definition of definitions) {
        const couche = L.tileLayer(definition.url, {
            ...OPTIONS_TUILES,
            attribution: definition.attribution,
            maxZoom: definition.maxZoom,
        });
        suivreEchecs(couche, avis);
        parNom[definition.name] = couche;
        ids.set(couche, definition.id);
    }
    const choix = definitions.find((definition) => definition.id === lireChoix()) || definitions[0];
    parNom[choix.name].addTo(carte);
    if (definitions.length > 1) {
        // Folded into one button, opened on hover or on keyboard focus, left of the map where
        // the panel of a point never covers it.
        const controle = L.control.layers(parNom, null, { collapsed: true, position: "topleft" });
        controle.addTo(carte);
        const boite = controle.getContainer();
        boite.setAttribute("role", "group");
        boite.setAttribute("aria-label", "Fonds de carte");
        const bouton = boite.querySelector(".leaflet-control-layers-toggle");
        bouton.title = "Fonds de carte";
        bouton.setAttribute("role", "button");
        bouton.setAttribute("aria-label", "Choisir le fond de carte");
    }
    carte.on("baselayerchange", (evenement) => {
        avis.hidden = true;
        garderChoix(ids.get(evenement.layer));
    });
    return choix.id;
}
