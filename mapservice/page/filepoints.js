// The points of a file of addresses being geocoded, as the program finds them: the map control
// that opens its window « Géocoder un fichier d'adresses », and the clustered layer « Adresses
// du fichier » that the program fills and empties through its bridge. Absent without the bridge.

import { clusterLayer } from "./clusters.js";

// The status of a row that several places fit alike: the user has to look at it.
const REVIEW = "à vérifier";
// The live region says how many points are on the map at most this often: a sentence for each
// batch would be noise when thousands come.
const ANNOUNCE_MS = 5000;
// Work the cluster group does between two frames while points pour in: the package's 200 ms
// froze the map for a quarter of a second with 10,000 points; 50 ms keeps it at a tenth, for
// about the same total time.
const CHUNK_MS = 50;
// The first points of a file are shown at this zoom at most.
const FIRST_ZOOM = 14;

const countFormat = new Intl.NumberFormat("fr-FR");

// "1 adresse du fichier", "1 250 adresses du fichier".
function pointCount(count) {
    return `${countFormat.format(count)} adresse${count > 1 ? "s" : ""} du fichier`;
}

// A point as the bridge gives it: {line, lat, lng, label, status}.
function isPoint(point) {
    return point !== null && typeof point === "object" && Number.isInteger(point.line) &&
        Number.isFinite(point.lat) && Number.isFinite(point.lng) && Math.abs(point.lat) <= 90 &&
        Math.abs(point.lng) <= 180 && typeof point.label === "string" &&
        typeof point.status === "string";
}

// A marker's or cluster's icon drawn by the style sheet, a button named by its title (the
// marker's, or the cluster icon's own) for screen readers.
function iconClass(L) {
    return L.DivIcon.extend({
        createIcon(oldIcon) {
            const element = L.DivIcon.prototype.createIcon.call(this, oldIcon);
            element.setAttribute("role", "button");
            // A cluster's count would name it otherwise.
            if (this.options.title) {
                element.title = this.options.title;
                element.setAttribute("aria-label", this.options.title);
            }
            return element;
        },
    });
}

export class FilePoints {
    // `pointPanel` opens at a point clicked; `announcer` is the page's live region.
    constructor(L, map, pointPanel, announcer) {
        this.L = L;
        this.map = map;
        this.pointPanel = pointPanel;
        this.announcer = announcer;
        this.layer = null;
        this.waiting = [];   // markers received, not yet handed to the layer
        this.adding = false; // the layer is adding markers by chunks
        this.clearing = false;
        this.visible = true;
        this.count = 0;
        this.announced = 0; // the count the live region said last
        this.announceTimer = 0;
        this.lastAnnounced = -Infinity;
    }

    // Shows the control and the layer when `bridge` is there: the points kept so far, then each
    // batch as it comes.
    connect(bridge) {
        if (!bridge) {
            return;
        }
        const Icon = iconClass(this.L);
        this.icons = {
            found: new Icon({ className: "file-point file-point-found", iconSize: [14, 14] }),
            review: new Icon({ className: "file-point file-point-review", iconSize: [18, 18] }),
        };
        this.layer = clusterLayer(this.L, this.map, (done, total) => {
            if (done === total) {
                this.chunksDone();
            }
        }, {
            iconCreateFunction: (cluster) => this.clusterIcon(Icon, cluster),
            chunkInterval: CHUNK_MS,
        });
        // A marker's events reach the group; a cluster's come as "cluster…" events.
        this.layer.on("click", (event) => this.pointPanel.open(event.layer.getLatLng()));
        this.layer.on("keypress", (event) => {
            if (event.originalEvent.key === "Enter") {
                this.pointPanel.open(event.layer.getLatLng());
            }
        });
        this.addControl(bridge);
        this.show(true);
        // Batches sent before the points kept are read are among them: dropped.
        let caughtUp = false;
        bridge.FilePointsAdded.connect((json) => {
            if (caughtUp) {
                this.receive(JSON.parse(json), true);
            }
        });
        bridge.FilePointsCleared.connect(() => {
            if (caughtUp) {
                this.clear();
            }
        });
        bridge.FilePoints((json) => {
            caughtUp = true;
            this.receive(JSON.parse(json), false);
        });
    }

    addControl(bridge) {
        const L = this.L;
        const Control = L.Control.extend({
            onAdd: () => {
                const box = L.DomUtil.create("div", "leaflet-bar file-points-control");
                const open = L.DomUtil.create("button", "file-points-open", box);
                open.type = "button";
                open.textContent = "Géocoder un fichier d'adresses";
                open.title = "Géocoder un fichier d'adresses : ouvre la fenêtre du fichier";
                open.addEventListener("click", () => bridge.OpenAddressFile());
                this.shownBox = L.DomUtil.create("label", "file-points-shown", box);
                this.shownBox.hidden = true;
                const tick = L.DomUtil.create("input", "", this.shownBox);
                tick.type = "checkbox";
                tick.checked = true;
                tick.addEventListener("change", () => this.show(tick.checked));
                this.shownBox.append(" Adresses du fichier");
                L.DomEvent.disableClickPropagation(box);
                return box;
            },
        });
        new Control({ position: "topleft" }).addTo(this.map);
    }

    // Takes `points` in; `live` when they are just geocoded, in which case the first of a file
    // are brought into view when none of them is.
    receive(points, live) {
        const markers = points.filter(isPoint).map((point) => this.markerOf(point));
        if (markers.length === 0) {
            return;
        }
        if (live && this.count === 0 && this.waiting.length === 0) {
            this.bringIntoView(markers);
        }
        this.waiting = this.waiting.concat(markers);
        this.flush();
    }

    markerOf(point) {
        const review = point.status === REVIEW;
        const address = point.label ? ` : ${point.label}` : "";
        return this.L.marker([point.lat, point.lng], {
            icon: review ? this.icons.review : this.icons.found,
            title: `Ligne ${point.line}${address} (${point.status})`,
            keyboard: true,
        });
    }

    bringIntoView(markers) {
        const bounds = this.L.latLngBounds(markers.map((marker) => marker.getLatLng()));
        if (!this.map.getBounds().intersects(bounds)) {
            this.map.fitBounds(bounds, { maxZoom: FIRST_ZOOM, animate: false });
        }
    }

    // Hands the markers waiting to the layer, all at once: it adds them by chunks and says when
    // it is done (chunksDone), and the markers come meanwhile wait for the next turn.
    flush() {
        if (this.adding) {
            return;
        }
        if (this.waiting.length === 0) {
            this.settle();
            return;
        }
        const markers = this.waiting;
        this.waiting = [];
        this.count += markers.length;
        if (!this.layer.addLayers) {
            markers.forEach((marker) => this.layer.addLayer(marker));
            this.settle();
            return;
        }
        // Off the map, the group only keeps them for when it is shown.
        const chunked = this.map.hasLayer(this.layer);
        this.adding = chunked;
        this.layer.addLayers(markers);
        if (!chunked) {
            this.settle();
        }
    }

    // The layer added its last chunk. It must not be emptied nor taken off the map in the
    // middle of one (the package would go on adding the rest, or fail without a map): what the
    // user or the program asked meanwhile is done now.
    chunksDone() {
        this.adding = false;
        if (this.clearing) {
            this.clearing = false;
            this.layer.clearLayers();
        }
        this.show(this.visible);
        this.flush();
    }

    clear() {
        this.waiting = [];
        this.count = 0;
        if (this.adding) {
            this.clearing = true;
        } else {
            this.layer.clearLayers();
            this.settle();
        }
    }

    show(visible) {
        this.visible = visible;
        if (this.adding || visible === this.map.hasLayer(this.layer)) {
            return;
        }
        if (!visible) {
            this.layer.remove();
            return;
        }
        // A cluster group adds what came while it was hidden, and tells when it is done.
        this.adding = Boolean(this.layer.addLayers);
        this.layer.addTo(this.map);
    }

    // Every marker received is in the layer: the map's element says how many, and so does the
    // live region, soon.
    settle() {
        this.map.getContainer().dataset.filePoints = String(this.count);
        if (this.shownBox) {
            this.shownBox.hidden = this.count === 0;
        }
        if (this.announceTimer || this.count === this.announced) {
            return;
        }
        const wait = Math.max(0, this.lastAnnounced + ANNOUNCE_MS - Date.now());
        this.announceTimer = window.setTimeout(() => {
            this.announceTimer = 0;
            if (this.count === this.announced) {
                return;
            }
            this.announced = this.count;
            this.lastAnnounced = Date.now();
            this.announcer.textContent = this.count > 0 ? `${pointCount(this.count)} sur la carte.`
                : "Plus aucune adresse du fichier sur la carte.";
        }, wait);
    }

    clusterIcon(Icon, cluster) {
        const count = cluster.getChildCount();
        const size = count < 10 ? "small" : count < 100 ? "medium" : "large";
        const inside = document.createElement("div");
        const number = document.createElement("span");
        number.textContent = String(count);
        inside.append(number);
        return new Icon({
            html: inside,
            className: `marker-cluster marker-cluster-${size} file-points-cluster`,
            iconSize: this.L.point(40, 40),
            title: `${pointCount(count)} : cliquez pour les voir de plus près`,
        });
    }
}
