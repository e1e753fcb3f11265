#pragma once

#include <QObject>
#include <QString>

// Whether the lookup panel is pinned: a pinned panel stays above other windows on every
// workspace and survives losing focus. Each panel starts unpinned with its own controller,
// so a new lookup never inherits an earlier panel's pin.
class LookupPanelPinController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isPinned READ isPinned NOTIFY changed)

public:
    explicit LookupPanelPinController(QObject *parent = nullptr);

    bool isPinned() const { return m_isPinned; }
    void toggle();

    // The symbol and tooltip of the pin button for the current state.
    QString systemImageName() const;
    QString helpText() const;

signals:
    void changed();

private:
    bool m_isPinned = false;
};
