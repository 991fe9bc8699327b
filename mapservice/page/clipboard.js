// The clipboard, as the panel's copy buttons use it.

// Writes `text` to the clipboard, through the page's copy command when the clipboard API is
// refused; true when it is done.
export async function copyText(text) {
    try {
        await navigator.clipboard.writeText(text);
        return true;
    } catch {
        const area = document.createElement("textarea");
        area.value = text;
        area.setAttribute("readonly", "");
        area.className = "sr-only";
        document.body.append(area);
        area.select();
        const done = document.execCommand("copy");
        area.remove();
        return done;
    }
}
