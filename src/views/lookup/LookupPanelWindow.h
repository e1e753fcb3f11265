#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>

class QSizeGrip;
class QWindow;
class LookupPanelPinController;
class LookupPanelView;
class SymbolButton;

// The floating lookup panel: a tool window (no taskbar entry) titled "查词" for window
// managers and accessibility tools, though no title bar shows it. Its own top row carries
// the pin and close buttons and moves the window when dragged. Unpinned, it closes shortly
// after losing focus; pinned, it stays above other windows on every workspace. Closing
// deletes it, and with it the content, which cancels the pending lookup.
class LookupPanelWindow : public QWidget {
    Q_OBJECT

public:
    // Puts a native window on every workspace or back on the current one; the shell passes
    // the X11 implementation, which this layer cannot link.
    using WorkspacePinning = std::function<void(QWindow *window, bool pinned)>;

    static constexpr QSize kSize{480, 560};
    static constexpr std::chrono::milliseconds kCloseDelayAfterDeactivation{80};

    // Takes ownership of the content.
    explicit LookupPanelWindow(LookupPanelView *content, QWidget *parent = nullptr);
    ~LookupPanelWindow() override;

    LookupPanelView *content() const { return m_content; }
    LookupPanelPinController &pinController() const { return *m_pinController; }
    SymbolButton *pinButton() const { return m_pinButton; }
    bool isPinned() const;

    // The pin button's action: flips the pin and applies it to the window.
    void togglePin();
    void setWorkspacePinning(WorkspacePinning workspacePinning);

signals:
    void pinnedChanged(bool pinned);
    // Emitted once, when the window is about to close.
    void closing();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void updatePinButton();
    void applyPinState();
    void closeIfStillDeactivated();

    LookupPanelView *m_content;
    LookupPanelPinController *m_pinController;
    QWidget *m_topBar;
    SymbolButton *m_pinButton;
    SymbolButton *m_closeButton;
    QSizeGrip *m_sizeGrip;
    WorkspacePinning m_workspacePinning;
    QTimer m_deactivationTimer;
    bool m_closing = false;
};
