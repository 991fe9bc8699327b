// The panel of a point picked on the map: its coordinates in every form the service gives, each
// with a copy button, the nearest address, and the button that takes the point into the main
// window.

const ADRESSE_INJOIGNABLE =
    "Les services de recherche d'adresses sont injoignables : l'ordinateur n'est sans doute " +
    "pas connecté à Internet.";
const COORDONNEES_INJOIGNABLES =
    "Les autres formes des coordonnées ne sont pas disponibles pour le moment.";

// A decimal text with a full stop and seven decimals, as the main window's boxes take it.
export function decimal(valeur) {
    return valeur.toFixed(7);
}

// "à 35 m", "à 1,2 km": the distance in French.
export function distanceTexte(metres) {
    if (metres < 1000) {
        return `à ${Math.round(metres)} m`;
    }
    return `à ${(metres / 1000).toFixed(1).replace(".", ",")} km`;
}

async function lireJson(adresse) {
    const reponse = await fetch(adresse, { credentials: "same-origin" });
    const corps = await reponse.json();
    return { ok: reponse.ok, corps };
}

// Writes `texte` to the clipboard, through the page's copy command when the clipboard API is
// refused.
async function copier(texte) {
    try {
        await navigator.clipboard.writeText(texte);
        return true;
    } catch {
        const zone = document.createElement("textarea");
        zone.value = texte;
        zone.setAttribute("readonly", "");
        zone.className = "lecteur";
        document.body.append(zone);
        zone.select();
        const fait = document.execCommand("copy");
        zone.remove();
        return fait;
    }
}

export class Panneau {
    constructor(L, carte, annonce) {
        this.L = L;
        this.carte = carte;
        this.annonce = annonce;
        this.element = document.getElementById("panneau");
        this.formes = document.getElementById("formes");
        this.adresse = document.getElementById("adresse");
        this.reprendre = document.getElementById("reprendre");
        this.repere = null;
        this.tour = 0;
        this.point = null;
        this.lieu = null;
        this.pont = null;
        document.getElementById("panneau-fermer").addEventListener("click", () => this.fermer());
        this.element.addEventListener("keydown", (evenement) => {
            if (evenement.key === "Escape") {
                this.fermer();
            }
        });
        this.reprendre.addEventListener("click", () => this.reprendrePoint());
    }

    // The program's bridge, once known; the take-over button shows only with it.
    brancher(pont) {
        this.pont = pont;
        this.reprendre.hidden = !pont;
    }

    // Picks `position`: marker, panel, announcement, then the service's answers.
    ouvrir(position) {
        const point = position.wrap();
        this.tour += 1;
        const tour = this.tour;
        this.point = { lat: decimal(point.lat), lng: decimal(point.lng) };
        this.lieu = null;
        if (this.repere) {
            this.repere.setLatLng(position);
        } else {
            this.repere = this.L.circleMarker(position, {
                radius: 8,
                color: "#b00020",
                weight: 3,
                fillOpacity: 0.3,
                interactive: false,
            }).addTo(this.carte);
        }
        const texte = `${this.point.lat}, ${this.point.lng}`;
        this.montrerFormes([{ key: "decimal", name: "Degrés décimaux", text: texte }]);
        this.adresse.textContent = "Recherche de l'adresse la plus proche…";
        this.element.hidden = false;
        this.degager(position);
        this.annonce.textContent =
            `Point choisi : latitude ${this.point.lat}, longitude ${this.point.lng}.`;
        const requete = `lat=${this.point.lat}&lon=${this.point.lng}`;
        this.demanderFormes(`/point?${requete}`, tour);
        this.demanderAdresse(`/adresse?${requete}`, tour);
    }

    // Pans the map when the panel hides `position`, so that the point shows left of it.
    degager(position) {
        const panneau = this.element.getBoundingClientRect();
        const carte = this.carte.getContainer().getBoundingClientRect();
        const point = this.carte.latLngToContainerPoint(position);
        const gauche = panneau.left - carte.left;
        if (point.x >= gauche - 16 && point.y <= panneau.bottom - carte.top + 16) {
            this.carte.panBy([point.x - gauche / 2, 0]);
        }
    }

    fermer() {
        this.element.hidden = true;
        this.tour += 1;
        if (this.repere) {
            this.repere.remove();
            this.repere = null;
        }
        this.carte.getContainer().focus();
    }

    async demanderFormes(adresse, tour) {
        let texte = COORDONNEES_INJOIGNABLES;
        let formes = null;
        try {
            const { ok, corps } = await lireJson(adresse);
            if (ok && Array.isArray(corps.forms)) {
                formes = corps.forms;
            } else if (typeof corps.error === "string") {
                texte = corps.error;
            }
        } catch {
            // The service stopped or answered no JSON: the decimal form stays.
        }
        if (tour !== this.tour) {
            return;
        }
        if (formes) {
            this.montrerFormes(formes);
        } else {
            const note = document.createElement("li");
            note.className = "note";
            note.textContent = texte;
            this.formes.append(note);
        }
    }

    async demanderAdresse(adresse, tour) {
        let texte = ADRESSE_INJOIGNABLE;
        let lieu = null;
        try {
            const { corps } = await lireJson(adresse);
            if (corps.status === "found") {
                lieu = corps;
                const source = corps.source ? ` (${corps.source})` : "";
                texte = `${corps.label}, ${distanceTexte(corps.distance)}${source}`;
            } else if (typeof corps.message === "string") {
                texte = corps.message;
            }
        } catch {
            // No answer: the geocoders are out of reach as far as the page can tell.
        }
        if (tour !== this.tour) {
            return;
        }
        this.lieu = lieu;
        this.adresse.textContent = texte;
    }

    montrerFormes(formes) {
        const lignes = formes.map((forme) => {
            const ligne = document.createElement("li");
            const nom = document.createElement("span");
            nom.className = "nom";
            nom.textContent = forme.name;
            const texte = document.createElement("span");
            texte.className = "texte";
            texte.textContent = forme.text;
            const bouton = document.createElement("button");
            bouton.type = "button";
            bouton.className = "copier";
            bouton.textContent = "Copier";
            bouton.setAttribute("aria-label", `Copier ${forme.name} : ${forme.text}`);
            bouton.addEventListener("click", async () => {
                const fait = await copier(forme.text);
                this.annonce.textContent = fait
                    ? `${forme.name} copié dans le presse-papiers.`
                    : "La copie dans le presse-papiers a été refusée.";
            });
            ligne.dataset.key = forme.key;
            ligne.append(nom, texte, bouton);
            return ligne;
        });
        this.formes.replaceChildren(...lignes);
    }

    reprendrePoint() {
        if (!this.pont || !this.point) {
            return;
        }
        const lieu = this.lieu || {};
        this.pont.reprendrePoint(
            this.point.lat,
            this.point.lng,
            lieu.street || "",
            lieu.city || "",
            lieu.postcode || "",
            lieu.country || "",
        );
        this.annonce.textContent = "Point repris dans la fenêtre principale.";
    }
}
