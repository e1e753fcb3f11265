#pragma once

#include <QString>

#include <optional>

// The key combination of the global hotkey, as the learner chooses it ("Alt+D",
// "Ctrl+Alt+K", "Super+F8"): at least one of Ctrl, Alt and Super, optionally Shift, and one
// letter, digit or function key. The text is what the preference "globalShortcut" stores.
struct GlobalShortcut {
    enum Modifier : unsigned { shift = 1, control = 2, alt = 4, super = 8 };

    unsigned modifiers = alt;
    // "A"–"Z", "0"–"9" or "F1"–"F24".
    QString key = QStringLiteral("D");

    static GlobalShortcut defaultShortcut() { return {}; }
    // Accepts any order and case of the parts ("alt+d", "Control+Shift+k", "Meta+X"); none
    // for anything the hotkey cannot be.
    static std::optional<GlobalShortcut> parse(const QString &text);
    // The canonical text: Ctrl, Super, Alt, Shift in this order, then the key.
    QString toString() const;

    bool operator==(const GlobalShortcut &) const = default;
};
