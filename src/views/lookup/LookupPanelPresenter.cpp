#include "views/lookup/LookupPanelPresenter.h"

#include "views/lookup/LookupPanelWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

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

    // A Wayland client can neither place its top-level windows nor see the pointer outside
    // them: there the compositor puts the panel where it opens new windows (GNOME and KDE
    // Plasma centre it on the active output; a tiling compositor tiles it).
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen) {
            screen = QGuiApplication::primaryScreen();
        }
        if (screen) {
            QRect frame(QPoint(), panel->size());
            frame.moveCenter(screen->availableGeometry().center());
            panel->move(frame.topLeft());
        }
    }
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
