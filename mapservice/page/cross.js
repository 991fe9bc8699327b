// The centre cross, under which Enter picks a point: shown while the map has the focus from the
// keyboard, and only then. The engine's :focus-visible cannot tell, since Leaflet itself focuses
// the map when it is clicked.

const KEYBOARD_CLASS = "keyboard-focus";

// Marks `element` with the keyboard-focus class whenever it has the focus and the last thing the
// user did was no pointer press; the style sheet draws the cross and the outline from it.
export function followKeyboardFocus(element) {
    let pointerLast = false;
    const update = () => {
        element.classList.toggle(KEYBOARD_CLASS, document.activeElement === element &&
            !pointerLast);
    };
    document.addEventListener("pointerdown", () => {
        pointerLast = true;
        update();
    }, true);
    document.addEventListener("keydown", () => {
        pointerLast = false;
        update();
    }, true);
    element.addEventListener("focus", update);
    element.addEventListener("blur", update);
}
