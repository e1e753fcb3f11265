#include "views/lookup/LookupPanelPresenter.h"

#include "views/common/WindowPlacement.h"
#include "views/lookup/LookupPanelWindow.h"

LookupPanelPresenter::LookupPanelPresenter(QObject *parent) : QObject(parent) {}

LookupPanelPresenter::~LookupPanelPresenter()
{
    closeCurrentPanel();
}

void LookupPanelPresenter::present(LookupPanelWindow *panel)
{
    closeCurrentPanel();
    m_currentPanel = panel;
    connect(panel, &LookupPanelWindow::closing, this, [this, panel] {
        if (m_currentPanel == panel) {
            m_currentPanel.clear();
        }
    });

    // On Wayland the compositor places the panel where it opens new windows (GNOME and KDE
    // Plasma centre it on the active output; a tiling compositor tiles it) and the move is
    // ignored, but the size still fits the screen.
    WindowPlacement::centreOnScreenUnderPointer(panel);
    panel->show();
    panel->raise();
    panel->activateWindow();
}

void LookupPanelPresenter::closeCurrentPanel()
{
    // Cleared first: the panel's closing signal must find it already gone.
    LookupPanelWindow *panel = m_currentPanel.data();
    m_currentPanel.clear();
    if (panel) {
        panel->close();
    }
}

bool LookupPanelPresenter::isCurrentPanelPinned() const
{
    return m_currentPanel && m_currentPanel->isPinned();
}
