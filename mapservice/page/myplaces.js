// The user's places on the map page: a "Mes lieux" button opening their list (sorted, filtered as
// the user types), each place a marker in a clustered layer that can be hidden, rename, note,
// delete with undo, the point panel's "Ajouter à mes lieux", the import of a file of places (GPX,
// KML, GeoJSON or a table), and the export of the places ticked (or all of them) through the
// program's bridge.

import { clusterLayer } from "./clusters.js";

// Rows drawn at once: beyond that the list says how many more match, and a keystroke stays
// quick with ten thousand places.
const SHOWN_ROWS = 100;
// A place a row centres on is shown at street level at least.
const PLACE_ZOOM = 16;

// The service reads place files up to this size.
const LARGEST_FILE = 64 * 1024 * 1024;

const collator = new Intl.Collator("fr", { sensitivity: "base", numeric: true });

// Lower case without accents: a typed word finds a place whatever its accents and case.
function folded(text) {
    return text.normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase();
}

// Whether `place` holds every one of `words` in its name, address or note.
function matches(place, words) {
    return words.every((word) => place.key.includes(word));
}

// "1 lieu", "12 lieux".
function placeCount(count) {
    return `${count} lieu${count > 1 ? "x" : ""}`;
}

function keyed(place) {
    return { ...place, key: folded(`${place.name}\n${place.address}\n${place.note}`) };
}

function byName(a, b) {
    return collator.compare(a.name, b.name) || a.id - b.id;
}

async function send(path, body) {
    let answer = null;
    try {
        const response = await fetch(path, {
            method: "POST",
            credentials: "same-origin",
            headers: { "Content-Type": "application/json" },
            body: JSON.stringify(body),
        });
        answer = { ok: response.ok, body: await response.json() };
    } catch {
        answer = { ok: false, body: {} };
    }
    if (!answer.ok && typeof answer.body.error !== "string") {
        answer.body.error = "Le service de la carte ne répond pas : la liste reste telle quelle.";
    }
    return answer;
}

// The bytes of `file` in base64, as the import route takes them inside its JSON.
async function base64Of(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const parts = [];
    for (let at = 0; at < bytes.length; at += 0x8000) {
        parts.push(String.fromCharCode(...bytes.subarray(at, at + 0x8000)));
    }
    return btoa(parts.join(""));
}

function button(text, label, action) {
    const element = document.createElement("button");
    element.type = "button";
    element.textContent = text;
    element.setAttribute("aria-label", label);
    element.title = label;
    element.addEventListener("click", action);
    return element;
}

export class MyPlaces {
    constructor(L, map, pointPanel, announcer) {
        this.L = L;
        this.map = map;
        this.pointPanel = pointPanel;
        this.announcer = announcer;
        this.places = [];
        this.markers = new Map();
        this.chosen = new Set();
        this.bridge = null;
        this.exportTools = document.getElementById("my-places-export");
        this.format = document.getElementById("my-places-format");
        this.exportButton = document.getElementById("my-places-export-button");
        this.element = document.getElementById("my-places");
        this.list = document.getElementById("my-places-list");
        this.filter = document.getElementById("my-places-filter");
        this.count = document.getElementById("my-places-count");
        this.shown = document.getElementById("my-places-shown");
        this.undoBar = document.getElementById("my-places-undo");
        this.offer = document.getElementById("my-places-offer");
        this.fileBox = document.getElementById("my-places-file");
        this.routes = document.getElementById("my-places-routes");
        this.addForm = document.getElementById("add-place");
        this.addName = document.getElementById("add-place-name");
        // Thousands of markers go in by chunks, the page answering in between; the panel says
        // when all are on the map.
        const shownAll = (done, total) => {
            this.element.dataset.mapped = done === total ? "yes" : "no";
        };
        this.layer = clusterLayer(L, map, shownAll);
        this.addControl();
        this.filter.addEventListener("input", () => this.render());
        this.shown.addEventListener("change", () => this.showLayer(this.shown.checked));
        document.getElementById("my-places-fit").addEventListener("click", () => this.fitAll());
        document.getElementById("my-places-import").addEventListener("click",
            () => this.fileBox.click());
        this.fileBox.addEventListener("change", () => {
            if (this.fileBox.files.length > 0) {
                this.offerImport(this.fileBox.files[0]);
            }
            this.fileBox.value = "";
        });
        this.exportButton.addEventListener("click", () => this.exportChosen());
        this.nameExport();
        document.getElementById("my-places-close").addEventListener("click", () => this.close());
        this.element.addEventListener("keydown", (event) => {
            if (event.key === "Escape") {
                this.close();
            }
        });
        document.getElementById("add-to-places").addEventListener("click", () => this.offerAdd());
        this.addForm.addEventListener("submit", (event) => {
            event.preventDefault();
            this.addPicked();
        });
        map.on("click", () => {
            this.addForm.hidden = true;
        });
    }

    // The program's bridge, once known: exporting writes a file, which only the program can.
    connect(bridge) {
        this.bridge = bridge;
        this.exportTools.hidden = !bridge;
    }

    // Hands the program the format and the places ticked, none meaning all of them; the
    // program asks where to write the file.
    exportChosen() {
        if (!this.bridge) {
            return;
        }
        this.bridge.ExportPlaces(this.format.value, [...this.chosen].join(","));
        this.announcer.textContent = "Choisissez où enregistrer le fichier.";
    }

    nameExport() {
        const count = this.chosen.size;
        const label = count === 0 ? "Exporter tous mes lieux"
            : `Exporter ${count === 1 ? "le lieu coché" : `les ${count} lieux cochés`}`;
        this.exportButton.setAttribute("aria-label", label);
        this.exportButton.title = label;
    }

    addControl() {
        const Control = this.L.Control.extend({
            onAdd: () => {
                const box = this.L.DomUtil.create("div", "leaflet-bar my-places-control");
                this.toggle = this.L.DomUtil.create("button", "my-places-toggle", box);
                this.toggle.type = "button";
                this.toggle.textContent = "Mes lieux";
                this.toggle.title = "Mes lieux : la liste des lieux enregistrés";
                this.toggle.setAttribute("aria-controls", "my-places");
                this.toggle.setAttribute("aria-expanded", "false");
                this.L.DomEvent.disableClickPropagation(box);
                this.toggle.addEventListener("click", () => {
                    if (this.element.hidden) {
                        this.open();
                    } else {
                        this.close();
                    }
                });
                return box;
            },
        });
        new Control({ position: "topleft" }).addTo(this.map);
    }

    // Reads the list from the service and puts every place on the map.
    async load() {
        try {
            const response = await fetch("/lieux", { credentials: "same-origin" });
            const body = await response.json();
            if (!response.ok) {
                this.count.textContent = body.error;
                return;
            }
            this.places = body.map(keyed);
        } catch {
            this.count.textContent = "Mes lieux ne peuvent pas être lus pour le moment.";
            return;
        }
        this.showLayer(this.shown.checked);
        const markers = this.places.map((place) => this.markerOf(place));
        if (this.layer.addLayers && markers.length > 0) {
            this.layer.addLayers(markers);
        } else {
            markers.forEach((marker) => this.layer.addLayer(marker));
            this.element.dataset.mapped = "yes";
        }
        this.render();
    }

    markerOf(place) {
        const marker = this.L.marker([place.latitude, place.longitude], {
            title: place.name,
            alt: `Mon lieu : ${place.name}`,
            keyboard: true,
        });
        marker.on("click", () => this.pointPanel.open(marker.getLatLng()));
        this.markers.set(place.id, marker);
        return marker;
    }

    showLayer(visible) {
        if (visible) {
            this.layer.addTo(this.map);
        } else {
            this.layer.remove();
        }
    }

    open() {
        this.element.hidden = false;
        this.toggle.setAttribute("aria-expanded", "true");
        this.filter.focus();
    }

    close() {
        this.element.hidden = true;
        this.toggle.setAttribute("aria-expanded", "false");
        this.toggle.focus();
    }

    // The rows of the places matching the filter, the first SHOWN_ROWS of them.
    render() {
        const words = folded(this.filter.value).split(/\s+/).filter((word) => word);
        const found = words.length ? this.places.filter((place) => matches(place, words))
            : this.places;
        this.list.replaceChildren(...found.slice(0, SHOWN_ROWS).map((place) => this.row(place)));
        let text = placeCount(found.length);
        if (words.length) {
            text += ` sur ${this.places.length}`;
        }
        if (found.length > SHOWN_ROWS) {
            text += ` ; les ${SHOWN_ROWS} premiers sont listés, précisez le filtre`;
        }
        this.count.textContent = `${text}.`;
    }

    row(place) {
        const item = document.createElement("li");
        item.dataset.id = place.id;
        const tick = document.createElement("input");
        tick.type = "checkbox";
        tick.className = "place-chosen";
        tick.checked = this.chosen.has(place.id);
        tick.setAttribute("aria-label", `Choisir ${place.name} pour l'export`);
        tick.addEventListener("change", () => {
            if (tick.checked) {
                this.chosen.add(place.id);
            } else {
                this.chosen.delete(place.id);
            }
            this.nameExport();
        });
        const go = button(place.name, `Centrer la carte sur ${place.name}`,
            () => this.centre(place));
        go.className = "place-name";
        const details = document.createElement("span");
        details.className = "place-details";
        details.textContent = [place.address, place.note].filter((text) => text).join(" — ");
        const actions = document.createElement("span");
        actions.className = "place-actions";
        actions.append(
            button("Renommer", `Renommer ${place.name}`, () => this.edit(item, place, "name")),
            button("Note", `Modifier la note de ${place.name}`,
                () => this.edit(item, place, "note")),
            button("Supprimer", `Supprimer ${place.name}`, () => this.remove(place)),
        );
        item.append(tick, go, details, actions);
        return item;
    }

    centre(place) {
        const position = this.L.latLng(place.latitude, place.longitude);
        this.map.setView(position, Math.max(this.map.getZoom(), PLACE_ZOOM));
        this.pointPanel.open(position);
    }

    fitAll() {
        if (this.places.length === 0) {
            this.announcer.textContent = "Aucun lieu à afficher.";
            return;
        }
        const bounds = this.L.latLngBounds(
            this.places.map((place) => [place.latitude, place.longitude]));
        this.map.fitBounds(bounds, { padding: [24, 24], maxZoom: PLACE_ZOOM });
        this.announcer.textContent = "La carte montre tous mes lieux.";
    }

    // Turns the row into a box for the place's name or note: Enter keeps, Escape gives up.
    edit(item, place, field) {
        const box = document.createElement("input");
        box.type = "text";
        box.value = place[field];
        box.setAttribute("aria-label", field === "name" ? `Nouveau nom de ${place.name}`
            : `Note de ${place.name}`);
        item.replaceChildren(box);
        box.focus();
        box.addEventListener("keydown", async (event) => {
            if (event.key === "Escape") {
                event.stopPropagation();
                this.render();
            } else if (event.key === "Enter") {
                const path = field === "name" ? "/lieux/nom" : "/lieux/note";
                const { ok, body } = await send(path, { id: place.id, [field]: box.value });
                if (ok) {
                    this.replace(body);
                    this.announcer.textContent = field === "name"
                        ? `Lieu renommé : ${body.name}.` : `Note de ${body.name} enregistrée.`;
                } else {
                    this.announcer.textContent = body.error;
                }
                this.render();
            }
        });
    }

    // Puts `place` into the list (in its sorted rank) and on the map, in place of its old self.
    replace(place) {
        this.forget(place.id);
        const kept = keyed(place);
        const at = this.places.findIndex((other) => byName(kept, other) < 0);
        this.places.splice(at < 0 ? this.places.length : at, 0, kept);
        this.layer.addLayer(this.markerOf(kept));
    }

    forget(id) {
        this.places = this.places.filter((place) => place.id !== id);
        if (this.chosen.delete(id)) {
            this.nameExport();
        }
        const marker = this.markers.get(id);
        if (marker) {
            this.layer.removeLayer(marker);
            this.markers.delete(id);
        }
    }

    async remove(place) {
        const { ok, body } = await send("/lieux/suppression", { id: place.id });
        if (!ok) {
            this.announcer.textContent = body.error;
            return;
        }
        this.forget(place.id);
        this.render();
        const undo = button("Annuler", `Annuler la suppression de ${body.name}`, async () => {
            const restored = await send("/lieux/retour", body);
            this.undoBar.hidden = true;
            if (restored.ok) {
                this.replace(restored.body);
                this.render();
                this.announcer.textContent = `${body.name} est de retour dans mes lieux.`;
            } else {
                this.announcer.textContent = restored.body.error;
            }
        });
        const text = document.createElement("span");
        text.textContent = `${body.name} supprimé.`;
        this.undoBar.replaceChildren(text, undo);
        this.undoBar.hidden = false;
        undo.focus();
        this.announcer.textContent = `${body.name} supprimé de mes lieux. Annuler est possible.`;
    }

    // The address kept with the picked point: the one searched for when the point is the place
    // found, else the nearest address when there is one.
    pickedAddress() {
        const nearest = this.pointPanel.place;
        return this.pointPanel.searched || (nearest && nearest.label) || "";
    }

    // Offers the picked point under its address (pickedAddress), or else its coordinates.
    offerAdd() {
        const point = this.pointPanel.point;
        if (!point) {
            return;
        }
        this.addName.value = this.pickedAddress() || `Point ${point.lat}, ${point.lng}`;
        this.addForm.hidden = false;
        this.addName.focus();
        this.addName.select();
    }

    async addPicked() {
        const point = this.pointPanel.point;
        const name = this.addName.value.trim();
        if (!point || !name) {
            this.announcer.textContent = "Donnez un nom au lieu avant de l'ajouter.";
            return;
        }
        const { ok, body } = await send("/lieux/ajout", {
            name,
            latitude: Number(point.lat),
            longitude: Number(point.lng),
            address: this.pickedAddress(),
            note: "",
        });
        if (!ok) {
            this.announcer.textContent = body.error;
            return;
        }
        this.replace(body);
        this.render();
        this.addForm.hidden = true;
        this.announcer.textContent = `${body.name} ajouté à mes lieux.`;
    }

    // Says what the file holds, then imports it as the user chooses: with or without the places
    // already kept, or not at all; the points of a GPX's routes and tracks when ticked then.
    async offerImport(file) {
        if (file.size > LARGEST_FILE) {
            this.say(`Le fichier « ${file.name} » n'a pas été importé : il dépasse 64 Mo.`);
            return;
        }
        const name = file.name;
        const data = await base64Of(file);
        const routes = this.routes.checked;
        const trial = await send("/lieux/import",
            { name, data, routes, trial: true, skip: false });
        if (!trial.ok) {
            this.say(trial.body.error);
            return;
        }
        const { places, duplicates } = trial.body;
        const text = document.createElement("span");
        text.textContent = `${placeCount(places)} dans « ${name} »` +
            (duplicates ? `, dont ${duplicates} déjà dans mes lieux ou en double.` : ".");
        const choices = duplicates
            ? [button("Sans les doublons", "Importer sans les doublons",
                () => this.importFile(name, data, routes, true)),
            button("Tout importer", "Importer tous les lieux, doublons compris",
                () => this.importFile(name, data, routes, false))]
            : [button("Importer", `Importer les lieux de ${name}`,
                () => this.importFile(name, data, routes, false))];
        const cancel = button("Annuler", "Ne pas importer", () => {
            this.offer.hidden = true;
            this.say("Rien n'a été importé.");
        });
        this.offer.replaceChildren(text, ...choices, cancel);
        this.offer.hidden = false;
        choices[0].focus();
        this.announcer.textContent = text.textContent;
    }

    async importFile(name, data, routes, skip) {
        this.offer.hidden = true;
        const { ok, body } = await send("/lieux/import",
            { name, data, routes, skip, trial: false });
        if (!ok) {
            this.say(body.error);
            return;
        }
        this.layer.clearLayers();
        this.markers.clear();
        await this.load();
        this.say([`${placeCount(body.added)} importé${body.added > 1 ? "s" : ""}.`,
            ...body.warnings].join(" "));
    }

    // A sentence shown under the panel's tools and read out.
    say(text) {
        this.count.textContent = text;
        this.announcer.textContent = text;
    }
}
