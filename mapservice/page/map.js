// The map page: draws the place of the page data on the chosen base layer and lets the user
// pick a point, with the mouse or, from the keyboard, under the centre cross. Another search of
// the same service moves it in place.

import { followKeyboardFocus } from "./cross.js";
import { addBaseLayers } from "./layers.js";
import { PointPanel } from "./panel.js";
import { MyPlaces } from "./myplaces.js";
import { FilePoints } from "./filepoints.js";
import { PlaceMarker } from "./place.js";
import { InPlaceSearch } from "./search.js";
import { openBridge } from "./bridge.js";

function readPageData() {
    return JSON.parse(document.getElementById("tarnel-place").textContent);
}

// The entry point of the program's map view: shows the map page `url` of this service in place
// and answers true, the page loading `url` when the service cannot answer; answers false for
// any other address, which the view then loads itself.
function offerSearch(search) {
    window.tarnelSearch = (url) => {
        if (!search.accepts(url)) {
            return false;
        }
        search.search(url).then((shown) => {
            if (!shown) {
                window.location.assign(url);
            }
        });
        return true;
    };
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
    const panel = new PointPanel(L, map, announcer);
    const places = new PlaceMarker(L, map, (position) => panel.open(position));
    places.show(data, false);
    const baseLayer = addBaseLayers(L, map, data.tiles, document.getElementById("tile-notice"));
    element.dataset.baseLayer = baseLayer || "";

    followKeyboardFocus(element);
    const myPlaces = new MyPlaces(L, map, panel, announcer);
    myPlaces.load();
    const filePoints = new FilePoints(L, map, panel, announcer);
    openBridge().then((bridge) => {
        panel.connect(bridge);
        myPlaces.connect(bridge);
        filePoints.connect(bridge);
    });
    map.on("click", (event) => panel.open(event.latlng));
    element.addEventListener("keydown", (event) => {
        if (event.target === element && (event.key === "Enter" || event.key === " ")) {
            event.preventDefault();
            panel.open(map.getCenter());
        }
    });
    offerSearch(new InPlaceSearch(places, panel, announcer, data));
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
