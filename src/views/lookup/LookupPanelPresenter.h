#pragma once

#include <QObject>
#include <QPointer>

class LookupPanelWindow;

// Keeps at most one lookup panel on screen: presenting a new panel closes the current one
// first, so a new lookup always opens in a fresh, unpinned window.
class LookupPanelPresenter : public QObject {
    Q_OBJECT

public:
    explicit LookupPanelPresenter(QObject *parent = nullptr);
    ~LookupPanelPresenter() override;

    // Closes the current panel, then centres the new one on the screen under the pointer
    // (natively on Wayland the compositor places it), shows it and gives it the focus. Takes
    // ownership (the window deletes itself on close).
    void present(LookupPanelWindow *panel);
    void closeCurrentPanel();

    LookupPanelWindow *currentPanel() const { return m_currentPanel; }
    bool isCurrentPanelPinned() const;

private:
    QPointer<LookupPanelWindow> m_currentPanel;
};
