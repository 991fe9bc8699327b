// The map page: draws the place of the page data on the chosen base layer and lets the user
// pick a point, with the mouse or, from the keyboard, under the centre cross.

import { followKeyboardFocus } from "./cross.js";
import { addBaseLayers } from "./layers.js";
import { PointPanel } from "./panel.js";
import { MyPlaces } from "./myplaces.js";
import { openBridge } from "./bridge.js";

// What a page without a place shows: metropolitan France.
const FRANCE = { center: [46.6, 2.4], zoom: 5 };
// A few streets around the place.
const PLACE_ZOOM = 16;

function readPageData() {
    return JSON.parse(document.getElementById("tarnel-place").textContent);
}

function start(L) {
    const data = readPageData();
    const element = document.getElementById("map");
    const announcer = document.getElementById("announcer");
    const map = L.map(element, {
        zoomControl: false,
        worldCopyJump: true,
    });
    L.control.zoom({ zoomInTitle: "Zoom avant", zoomOutTitle: "Zoom arrière" }).addTo(map);
    map.attributionControl.setPrefix(
        "<a href=\"https://leafletjs.com\" title=\"Bibliothèque de cartes Leaflet\">Leaflet</a>",
    );
    if (data.place) {
        map.setView([data.place.lat, data.place.lng], PLACE_ZOOM);
    } else {
        map.setView(FRANCE.center, FRANCE.zoom);
    }
    const baseLayer = addBaseLayers(L, map, data.tiles, document.getElementById("tile-notice"));
    element.dataset.baseLayer = baseLayer || "";

    followKeyboardFocus(element);
    const panel = new PointPanel(L, map, announcer);
    openBridge().then((bridge) => panel.connect(bridge));
    new MyPlaces(L, map, panel, announcer).load();
    map.on("click", (event) => panel.open(event.latlng));
    element.addEventListener("keydown", (event) => {
        if (event.target === element && (event.key === "Enter" || event.key === " ")) {
            event.preventDefault();
            panel.open(map.getCenter());
        }
    });
    if (data.place) {
        const title = data.label || data.query;
        const marker = L.marker([data.place.lat, data.place.lng], {
            title: `Lieu cherché : ${title}`,
            alt: "Lieu cherché",
            keyboard: true,
        }).addTo(map);
        marker.on("click", () => panel.open(marker.getLatLng()));
    }
    element.dataset.ready = "yes";
}

if (window.L) {
    start(window.L);
} else {
    const notice = document.getElementById("tile-notice");
    notice.textContent =
        "La carte ne peut pas s'afficher : la bibliothèque Leaflet est absente (paquet " +
        "libjs-leaflet). Les coordonnées restent valables.";
    notice.hidden = false;
}
