#pragma once

#include <QString>

// What a lookup panel does when it is first shown: look up a text the shell already has,
// capture the current selection itself, or wait for the learner to type.
class LookupPanelStartAction {
public:
    enum class Kind { lookupCapturedText, captureSelection, none };

    static LookupPanelStartAction lookupCapturedText(QString text)
    {
        return LookupPanelStartAction(Kind::lookupCapturedText, std::move(text));
    }
    static LookupPanelStartAction captureSelection() { return LookupPanelStartAction(Kind::captureSelection); }
    static LookupPanelStartAction none() { return LookupPanelStartAction(Kind::none); }

    Kind kind() const { return m_kind; }
    // The text to look up; empty unless the kind is `lookupCapturedText`.
    const QString &text() const { return m_text; }

    bool operator==(const LookupPanelStartAction &) const = default;

private:
    explicit LookupPanelStartAction(Kind kind, QString text = {}) : m_kind(kind), m_text(std::move(text)) {}

    Kind m_kind;
    QString m_text;
};
