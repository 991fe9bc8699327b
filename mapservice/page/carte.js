// The map page: draws the place of the page data on the chosen base layer and lets the user
// pick a point, with the mouse or, from the keyboard, under the centre cross.

import { poserCouches } from "./couches.js";
import { Panneau } from "./panneau.js";
import { ouvrirPont } from "./pont.js";

// What a page without a place shows: metropolitan France.
const FRANCE = { centre: [46.6, 2.4], zoom: 5 };
// A few streets around the place.
const ZOOM_LIEU = 16;

function lireDonnees() {
    return JSON.parse(document.getElementById("tarnel-lieu").textContent);
}

function demarrer(L) {
    const donnees = lireDonnees();
    const element = document.getElementById("carte");
    const annonce = document.getElementById("annonce");
    const carte = L.map(element, {
        zoomControl: false,
        worldCopyJump: true,
    });
    L.control.zoom({ zoomInTitle: "Zoom avant", zoomOutTitle: "Zoom arrière" }).addTo(carte);
    carte.attributionControl.setPrefix(
        "<a href=\"https://leafletjs.com\" title=\"Bibliothèque de cartes Leaflet\">Leaflet</a>",
    );
    if (donnees.place) {
        carte.setView([donnees.place.lat, donnees.place.lng], ZOOM_LIEU);
    } else {
        carte.setView(FRANCE.centre, FRANCE.zoom);
    }
    const fond = poserCouches(L, carte, donnees.tiles, document.getElementById("avis-tuiles"));
    element.dataset.fond = fond || "";

    const panneau = new Panneau(L, carte, annonce);
    ouvrirPont().then((pont) => panneau.brancher(pont));
    carte.on("click", (evenement) => panneau.ouvrir(evenement.latlng));
    element.addEventListener("keydown", (evenement) => {
        if (evenement.target === element && (evenement.key === "Enter" || evenement.key === " ")) {
            evenement.preventDefault();
            panneau.ouvrir(carte.getCenter());
        }
    });
    if (donnees.place) {
        const titre = donnees.label || donnees.query;
        const lieu = L.marker([donnees.place.lat, donnees.place.lng], {
            title: `Lieu cherché : ${titre}`,
            alt: "Lieu cherché",
            keyboard: true,
        }).addTo(carte);
        lieu.on("click", () => panneau.ouvrir(lieu.getLatLng()));
    }
    element.dataset.pret = "oui";
}

if (window.L) {
    demarrer(window.L);
} else {
    const avis = document.getElementById("avis-tuiles");
    avis.textContent =
        "La carte ne peut pas s'afficher : la bibliothèque Leaflet est absente (paquet " +
        "libjs-leaflet). Les coordonnées restent valables.";
    avis.hidden = false;
}
