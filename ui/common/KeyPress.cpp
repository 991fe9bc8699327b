#include "ui/common/KeyPress.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>

namespace tarnel {

namespace {

// The character code a key press types, or nothing for keys that type no character.
std::optional<int> TypedCharacter(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    const int key = event.key();
    if (key == Qt::Key_Backspace)
        return kBackspace;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return 13;
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && key >= Qt::Key_A &&
        key <= Qt::Key_Z)
        return key - Qt::Key_A + 1;
    if (key == Qt::Key_Delete || key == Qt::Key_Escape || key == Qt::Key_Tab ||
        key == Qt::Key_Backtab)
        return std::nullopt;
    const QString text = event.text();
    if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7f)
        return std::nullopt;
    return text.at(0).unicode();
}

class KeyPressFilter : public QObject {
public:
    KeyPressFilter(KeyPressHandler handler, QObject* parent)
        : QObject(parent)
        , handler_(std::move(handler)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::InputMethod) {
            FilterCommit(*static_cast<QInputMethodEvent*>(event));
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const std::optional<int> typed = TypedCharacter(*static_cast<QKeyEvent*>(event));
        if (!typed)
            return false;
        int keyAscii = *typed;
        handler_(keyAscii);
        return keyAscii == 0;
    }

private:
    // Dead keys, compose sequences and input methods type their characters as one committed
    // text: each character goes through the handler as if typed alone.
    void FilterCommit(QInputMethodEvent& event) {
        const QString committed = event.commitString();
        if (committed.isEmpty())
            return;
        QString kept;
        for (const char32_t character : committed.toUcs4()) {
            int keyAscii = int(character);
            handler_(keyAscii);
            if (keyAscii > 0 && keyAscii <= 0x10FFFF) {
                const char32_t passed = char32_t(keyAscii);
                kept += QString::fromUcs4(&passed, 1);
            }
        }
        if (kept != committed)
            event.setCommitString(kept, event.replacementStart(), event.replacementLength());
    }

    KeyPressHandler handler_;
};

} // namespace

void InstallKeyPress(QLineEdit* box, KeyPressHandler handler) {
    box->installEventFilter(new KeyPressFilter(std::move(handler), box));
}

int FilterNumericKey(int keyAscii, QStringView allowed) {
    if (keyAscii == kBackspace)
        return keyAscii;
    if (keyAscii > 0 && keyAscii <= 0xFFFF && allowed.contains(QChar(keyAscii)))
        return keyAscii;
    return 0;
}

} // namespace tarnel
