// The lines of the panel that tell a picked point's altitude, commune and cadastral parcel, each
// asked of the service on its own route and shown as soon as its answer comes, with its source.
// A fact the service knows none of (a point at sea, abroad, on a road) has no line; a service
// that cannot be asked says so in French. The parcel's identifier has its copy button.

import { copyAndTell } from "./clipboard.js";

// Each fact: its route, its line's id, what the line says while waiting and when the map's
// own service does not answer.
const FACTS = [
    {
        route: "/altitude",
        id: "altitude",
        waiting: "Altitude : recherche en cours…",
        silent: "Altitude : le service de la carte ne répond pas.",
    },
    {
        route: "/commune",
        id: "commune",
        waiting: "Commune : recherche en cours…",
        silent: "Commune : le service de la carte ne répond pas.",
    },
    {
        route: "/parcelle",
        id: "parcel",
        waiting: "Parcelle : recherche en cours…",
        silent: "Parcelle : le service de la carte ne répond pas.",
    },
];

export class PointFacts {
    // `announcer` is the live region, told of a copy only.
    constructor(announcer) {
        this.announcer = announcer;
        this.lines = new Map(FACTS.map((fact) => [fact.id, document.getElementById(fact.id)]));
        this.idu = "";
        const copy = document.getElementById("parcel-copy");
        copy.addEventListener("click", () => copyAndTell(this.idu, this.announcer,
            "Identifiant de la parcelle copié dans le presse-papiers."));
    }

    // Asks every fact about the point of `query` ("lat=…&lon=…"); an answer that comes once
    // `isCurrent()` is false is dropped.
    ask(query, isCurrent) {
        this.showParcelId("");
        for (const fact of FACTS) {
            this.show(fact.id, "waiting", fact.waiting, "");
            this.askOne(fact, `${fact.route}?${query}`, isCurrent);
        }
    }

    async askOne(fact, url, isCurrent) {
        let answer = null;
        try {
            const response = await fetch(url, { credentials: "same-origin" });
            answer = await response.json();
        } catch {
            // The map's own service stopped: said below.
        }
        if (!isCurrent()) {
            return;
        }
        if (!answer || typeof answer.message !== "string") {
            this.show(fact.id, "failed", fact.silent, "");
            return;
        }
        const source = typeof answer.source === "string" ? answer.source : "";
        // The altitude's sentence names its source already.
        const credit = answer.status === "found" && !answer.message.includes(source) ? source : "";
        this.show(fact.id, answer.status, answer.message, credit);
        if (fact.id === "parcel" && answer.status === "found" && answer.idu) {
            this.showParcelId(answer.idu);
        }
    }

    show(id, status, text, source) {
        const line = this.lines.get(id);
        line.dataset.status = status;
        line.hidden = status === "none";
        line.querySelector(".text").textContent = text;
        line.querySelector(".source").textContent = source ? `Source : ${source}` : "";
        // Nothing known of the point at all: no heading over an empty list either.
        const none = [...this.lines.values()].every((each) => each.hidden);
        document.getElementById("facts-title").hidden = none;
        document.getElementById("facts").hidden = none;
    }

    showParcelId(idu) {
        this.idu = idu;
        const row = document.getElementById("parcel-id");
        row.hidden = !idu;
        row.querySelector(".text").textContent = idu ? `Identifiant : ${idu}` : "";
        document.getElementById("parcel-copy")
            .setAttribute("aria-label", `Copier l'identifiant de la parcelle ${idu}`);
    }
}
