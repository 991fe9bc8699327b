// Another search of the same service answered in the page already shown: the place asked of
// the service ("GET /place" with the search's own query), the marker and the view moved, the
// page's texts rewritten and its address set to the search's, with no new page.

import { decimal } from "./panel.js";

const PAGE_PATH = "/maps";
const PLACE_PATH = "/place";

// The place of `target`'s query as the service finds it, or null when it could not tell.
async function askPlace(target) {
    try {
        const response = await fetch(`${PLACE_PATH}${target.search}`, {
            credentials: "same-origin",
        });
        return response.ok ? await response.json() : null;
    } catch {
        return null;
    }
}

function showOthers(container, others) {
    if (others.length === 0) {
        container.replaceChildren();
        return;
    }
    const intro = document.createElement("p");
    intro.textContent = "Autres lieux possibles :";
    const list = document.createElement("ul");
    list.id = "other-places";
    for (const other of others) {
        const link = document.createElement("a");
        link.href = `${PAGE_PATH}?q=${decimal(other.lat)}%2C${decimal(other.lng)}`;
        link.textContent = other.label;
        const item = document.createElement("li");
        item.append(link);
        list.append(item);
    }
    container.replaceChildren(intro, list);
}

function showCoordinates(element, place) {
    element.hidden = !place;
    if (!place) {
        element.replaceChildren();
        return;
    }
    const lat = decimal(place.lat);
    const lng = decimal(place.lng);
    const link = document.createElement("a");
    link.href = `https://www.openstreetmap.org/?mlat=${lat}&mlon=${lng}#map=16/${lat}/${lng}`;
    link.textContent = "Voir sur OpenStreetMap";
    element.replaceChildren(`Latitude ${lat}, longitude ${lng} · `, link);
}

// The comment the program's coordinate extraction reads, as a page of this place carries it.
function showViewport(arrangement) {
    const old = [...document.head.childNodes].find((node) =>
        node.nodeType === Node.COMMENT_NODE && node.data.trim().startsWith("viewport:"));
    if (old) {
        old.remove();
    }
    if (arrangement) {
        document.head.insertBefore(document.createComment(` ${arrangement} `),
            document.querySelector("title"));
    }
}

export class InPlaceSearch {
    // `places` is the PlaceMarker of the map, `panel` its PointPanel, `pageData` what the page
    // was drawn from.
    constructor(places, panel, announcer, pageData) {
        this.places = places;
        this.panel = panel;
        this.announcer = announcer;
        this.pageData = pageData;
        this.turn = 0;
    }

    // Whether `url` is a map page of this service, which this page can show in place.
    accepts(url) {
        try {
            const target = new URL(url, window.location.href);
            return target.origin === window.location.origin && target.pathname === PAGE_PATH;
        } catch {
            return false;
        }
    }

    // Shows the search of `url` in place; resolves true once shown (or once a later search
    // took over), false when the service could not answer, the page then left as it was.
    async search(url) {
        const target = new URL(url, window.location.href);
        this.turn += 1;
        const turn = this.turn;
        const data = await askPlace(target);
        if (turn !== this.turn) {
            return true;
        }
        if (!data) {
            return false;
        }
        this.closePanel();
        this.showTexts(data);
        this.places.show(data, true);
        window.history.replaceState(null, "", target.href);
        this.announcer.textContent = data.place
            ? `Lieu affiché : ${data.label || data.heading}, latitude ` +
              `${decimal(data.place.lat)}, longitude ${decimal(data.place.lng)}.`
            : data.message;
        return true;
    }

    // Closes an open panel, the focus left where it was unless it was in the panel.
    closePanel() {
        if (this.panel.element.hidden) {
            return;
        }
        const focused = document.activeElement;
        this.panel.close();
        if (this.panel.element.contains(focused) || focused === document.activeElement) {
            return;
        }
        if (focused && focused !== document.body) {
            focused.focus({ preventScroll: true });
        } else {
            document.activeElement.blur();
        }
    }

    showTexts(data) {
        document.querySelector("h1").textContent = data.heading;
        document.title = `${data.heading} – Tarnel`;
        const message = document.getElementById("message");
        message.textContent = data.message;
        message.hidden = !data.message;
        message.classList.toggle("absence", data.absence);
        showOthers(document.getElementById("others"), data.others);
        showCoordinates(document.getElementById("coordinates"), data.place);
        document.getElementById("credits").hidden = !data.place;
        const geocoding = document.getElementById("geocoding-credit");
        geocoding.textContent = data.source ? ` · Géocodage : ${data.source}` : "";
        geocoding.hidden = !data.source;
        showViewport(data.viewport);
        const { query, place, label, source, others } = data;
        Object.assign(this.pageData, { query, place, label, source, others });
        document.getElementById("tarnel-place").textContent = JSON.stringify(this.pageData);
    }
}
