// The clipboard, as the panel's copy buttons use it.

// Writes `text` to the clipboard, through the page's copy command when the clipboard API is
// refused; true when it is done.
async function copyText(text) {
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

// Copies `text` and says so in `announcer`: `doneText` once done, the refusal otherwise.
export async function copyAndTell(text, announcer, doneText) {
    announcer.textContent = await copyText(text)
        ? doneText
        : "La copie dans le presse-papiers a été refusée.";
}
