// The centre cross, under which Enter picks a point: shown while the map has the focus from the
// keyboard, and only then. The engine's :focus-visible cannot tell, since Leaflet itself focuses
// the map when it is clicked.

const KEYBOARD_CLASS = "keyboard-focus";

// Marks `element` with the keyboard-focus class whenever it has the focus, the page has the
// program's keyboard, and the last thing the user did was no pointer press; the style sheet
// draws the cross and the outline from it.
export function followKeyboardFocus(element) {
    let pointerLast = false;
    const update = () => {
        // The page keeps its focused element while the rest of the program has the keyboard.
        element.classList.toggle(KEYBOARD_CLASS, document.hasFocus() &&
            document.activeElement === element && !pointerLast);
    };
    document.addEventListener("pointerdown", () => {
        pointerLast = true;
        update();
    }, true);
    document.addEventListener("keydown", () => {
        pointerLast = false;
        update();
    }, true);
    // Focus given back to the page by the rest of the program counts as the keyboard's until a
    // press says otherwise: it comes without a key event in the page.
    window.addEventListener("blur", () => {
        pointerLast = false;
        update();
    });
    window.addEventListener("focus", update);
    element.addEventListener("focus", update);
    element.addEventListener("blur", update);
}
