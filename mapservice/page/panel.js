// The panel of a point picked on the map: its coordinates in every form the service gives, each
// with a copy button, the nearest address, its altitude, commune and parcel (PointFacts), and
// the button that takes the point into the main window.

import { copyAndTell } from "./clipboard.js";
import { PointFacts } from "./facts.js";

const ADDRESS_UNREACHABLE =
    "Les services de recherche d'adresses sont injoignables : l'ordinateur n'est sans doute " +
    "pas connecté à Internet.";
const FORMS_UNAVAILABLE =
    "Les autres formes des coordonnées ne sont pas disponibles pour le moment.";

// A decimal text with a full stop and seven decimals, as the main window's boxes take it.
export function decimal(value) {
    return value.toFixed(7);
}

// "à 35 m", "à 1,2 km": the distance in French.
export function distanceText(metres) {
    if (metres < 1000) {
        return `à ${Math.round(metres)} m`;
    }
    return `à ${(metres / 1000).toFixed(1).replace(".", ",")} km`;
}

async function readJson(url) {
    const response = await fetch(url, { credentials: "same-origin" });
    const body = await response.json();
    return { ok: response.ok, body };
}

export class PointPanel {
    constructor(L, map, announcer) {
        this.L = L;
        this.map = map;
        this.announcer = announcer;
        this.element = document.getElementById("panel");
        this.forms = document.getElementById("forms");
        this.address = document.getElementById("address");
        this.takeButton = document.getElementById("take-point");
        this.facts = new PointFacts(announcer);
        this.marker = null;
        this.turn = 0;
        this.point = null;
        this.place = null;
        // The address of the place searched for, while the point picked is that place.
        this.searched = "";
        this.bridge = null;
        document.getElementById("panel-close").addEventListener("click", () => this.close());
        this.element.addEventListener("keydown", (event) => {
            if (event.key === "Escape") {
                this.close();
            }
        });
        this.takeButton.addEventListener("click", () => this.takePoint());
        map.on("searchedpick", (event) => {
            if (this.point && this.point.lat === decimal(event.latlng.lat) &&
                this.point.lng === decimal(event.latlng.lng)) {
                this.searched = event.label;
            }
        });
    }

    // The program's bridge, once known; the take-over button shows only with it.
    connect(bridge) {
        this.bridge = bridge;
        this.takeButton.hidden = !bridge;
    }

    // Picks `position`: marker, panel, announcement, then the service's answers.
    open(position) {
        const point = position.wrap();
        this.turn += 1;
        const turn = this.turn;
        this.point = { lat: decimal(point.lat), lng: decimal(point.lng) };
        this.place = null;
        this.searched = "";
        if (this.marker) {
            this.marker.setLatLng(position);
        } else {
            this.marker = this.L.circleMarker(position, {
                radius: 8,
                color: "#b00020",
                weight: 3,
                fillOpacity: 0.3,
                interactive: false,
            }).addTo(this.map);
        }
        const text = `${this.point.lat}, ${this.point.lng}`;
        this.showForms([{ key: "decimal", name: "Degrés décimaux", text }]);
        this.address.textContent = "Recherche de l'adresse la plus proche…";
        this.element.hidden = false;
        this.uncover(position);
        this.announcer.textContent =
            `Point choisi : latitude ${this.point.lat}, longitude ${this.point.lng}.`;
        const query = `lat=${this.point.lat}&lon=${this.point.lng}`;
        this.askForms(`/point?${query}`, turn);
        this.askAddress(`/adresse?${query}`, turn);
        this.facts.ask(query, () => turn === this.turn);
    }

    // Pans the map when the panel hides `position`, so that the point shows left of it.
    uncover(position) {
        const panel = this.element.getBoundingClientRect();
        const map = this.map.getContainer().getBoundingClientRect();
        const point = this.map.latLngToContainerPoint(position);
        const left = panel.left - map.left;
        if (point.x >= left - 16 && point.y <= panel.bottom - map.top + 16) {
            this.map.panBy([point.x - left / 2, 0]);
        }
    }

    close() {
        this.element.hidden = true;
        this.turn += 1;
        if (this.marker) {
            this.marker.remove();
            this.marker = null;
        }
        this.map.getContainer().focus();
    }

    async askForms(url, turn) {
        let text = FORMS_UNAVAILABLE;
        let forms = null;
        try {
            const { ok, body } = await readJson(url);
            if (ok && Array.isArray(body.forms)) {
                forms = body.forms;
            } else if (typeof body.error === "string") {
                text = body.error;
            }
        } catch {
            // The service stopped or answered no JSON: the decimal form stays.
        }
        if (turn !== this.turn) {
            return;
        }
        if (forms) {
            this.showForms(forms);
        } else {
            const note = document.createElement("li");
            note.className = "note";
            note.textContent = text;
            this.forms.append(note);
        }
    }

    async askAddress(url, turn) {
        let text = ADDRESS_UNREACHABLE;
        let place = null;
        try {
            const { body } = await readJson(url);
            if (body.status === "found") {
                place = body;
                const source = body.source ? ` (${body.source})` : "";
                text = `${body.label}, ${distanceText(body.distance)}${source}`;
            } else if (typeof body.message === "string") {
                text = body.message;
            }
        } catch {
            // No answer: the geocoders are out of reach as far as the page can tell.
        }
        if (turn !== this.turn) {
            return;
        }
        this.place = place;
        this.address.textContent = text;
    }

    showForms(forms) {
        const rows = forms.map((form) => {
            const row = document.createElement("li");
            const name = document.createElement("span");
            name.className = "name";
            name.textContent = form.name;
            const text = document.createElement("span");
            text.className = "text";
            text.textContent = form.text;
            const button = document.createElement("button");
            button.type = "button";
            button.className = "copy";
            button.textContent = "Copier";
            button.setAttribute("aria-label", `Copier ${form.name} : ${form.text}`);
            button.addEventListener("click", () => copyAndTell(form.text, this.announcer,
                `${form.name} copié dans le presse-papiers.`));
            row.dataset.key = form.key;
            row.append(name, text, button);
            return row;
        });
        this.forms.replaceChildren(...rows);
    }

    takePoint() {
        if (!this.bridge || !this.point) {
            return;
        }
        const place = this.place || {};
        this.bridge.TakePoint(
            this.point.lat,
            this.point.lng,
            place.street || "",
            place.city || "",
            place.postcode || "",
            place.country || "",
        );
        this.announcer.textContent = "Point repris dans la fenêtre principale.";
    }
}
