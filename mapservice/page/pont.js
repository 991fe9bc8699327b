// The bridge to the program (Qt WebChannel): offered by the map view to the service's own pages
// only. Absent in any other browser, where the page works without it.

// How long the channel may take to answer before the page goes on without it.
const ATTENTE_MS = 3000;

// The program's object "tarnel", or null when the page runs outside the program.
export function ouvrirPont() {
    const transport = window.qt && window.qt.webChannelTransport;
    if (!transport || typeof window.QWebChannel !== "function") {
        return Promise.resolve(null);
    }
    return new Promise((resolve) => {
        const abandon = window.setTimeout(() => resolve(null), ATTENTE_MS);
        new window.QWebChannel(transport, (canal) => {
            window.clearTimeout(abandon);
            resolve(canal.objects.tarnel || null);
        });
    });
}
