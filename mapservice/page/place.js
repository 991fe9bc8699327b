// The place searched for on the map: its marker, and the view on it.

import { decimal } from "./panel.js";

// What a page without a place shows: metropolitan France.
const FRANCE = { center: [46.6, 2.4], zoom: 5 };
// A few streets around the place.
const PLACE_ZOOM = 16;
// How far around the view, in views, a new place is flown to; farther, the map jumps, since a
// long flight shows nothing but tiles being drawn.
const NEAR_VIEWS = 1;
// Short enough that the marker is soon in sight, long enough to see where the map went.
const FLY_S = 0.25;

export class PlaceMarker {
    // `onClick(latLng)` runs when the marker is clicked; the map then fires "searchedpick" with
    // {latlng, label}, the label being the place's as the service found it (empty for a
    // coordinate search).
    constructor(L, map, onClick) {
        this.L = L;
        this.map = map;
        this.onClick = onClick;
        this.marker = null;
        this.label = "";
    }

    // Shows the place of `data` ({query, label, place: {lat, lng} or null}) with its marker, or
    // France without a marker; `animate` lets a near place be flown to. The map's element then
    // holds the place shown in data-place ("lat,lng" in seven decimals, empty for none).
    show(data, animate) {
        const element = this.map.getContainer();
        if (!data.place) {
            if (this.marker) {
                this.marker.remove();
                this.marker = null;
            }
            this.map.setView(FRANCE.center, FRANCE.zoom, { animate: false });
            element.dataset.place = "";
            return;
        }
        const position = this.L.latLng(data.place.lat, data.place.lng);
        this.label = data.label || "";
        const title = `Lieu cherché : ${data.label || data.query}`;
        if (this.marker) {
            this.marker.setLatLng(position);
            this.marker.options.title = title;
            this.marker.getElement().title = title;
        } else {
            this.marker = this.L.marker(position, {
                title,
                alt: "Lieu cherché",
                keyboard: true,
            }).addTo(this.map);
            this.marker.on("click", () => {
                const latlng = this.marker.getLatLng();
                this.onClick(latlng);
                this.map.fire("searchedpick", { latlng, label: this.label });
            });
        }
        if (animate && this.map.getBounds().pad(NEAR_VIEWS).contains(position)) {
            this.map.flyTo(position, PLACE_ZOOM, { duration: FLY_S });
        } else {
            this.map.setView(position, PLACE_ZOOM, { animate: false });
        }
        element.dataset.place = `${decimal(position.lat)},${decimal(position.lng)}`;
    }
}
