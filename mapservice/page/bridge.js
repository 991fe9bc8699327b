// The bridge to the program (Qt WebChannel): offered by the map view to the service's own pages
// only. Absent in any other browser, where the page works without it.

// How long the channel may take to answer before the page goes on without it.
const WAIT_MS = 3000;

// The program's object "tarnel", or null when the page runs outside the program.
export function openBridge() {
    const transport = window.qt && window.qt.webChannelTransport;
    if (!transport || typeof window.QWebChannel !== "function") {
        return Promise.resolve(null);
    }
    return new Promise((resolve) => {
        const giveUp = window.setTimeout(() => resolve(null), WAIT_MS);
        new window.QWebChannel(transport, (channel) => {
            window.clearTimeout(giveUp);
            resolve(channel.objects.tarnel || null);
        });
    });
}
