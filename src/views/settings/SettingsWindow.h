#pragma once

#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QListWidget;
class QStackedWidget;
class SettingsViewModel;

// The window "设置": a sidebar with the sections 权限, AI 设置, 发音设置, 复习提醒, 每日推荐 and
// 查词触发, the chosen section's page beside it, and the version at the sidebar's foot. Every
// control writes to the view model, which saves and announces; the pages re-render from it.
class SettingsWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize kSize{760, 520};
    static constexpr QSize kMinimumSize{720, 460};

    // `revealLog` shows the diagnostic log in the file manager.
    SettingsWindow(std::unique_ptr<SettingsViewModel> viewModel, std::function<void()> revealLog,
                   QWidget *parent = nullptr);
    ~SettingsWindow() override;

    SettingsViewModel &viewModel() const { return *m_viewModel; }
    QListWidget *sidebar() const { return m_sidebar; }
    QStackedWidget *pages() const { return m_pages; }
    // "版本 1.2.0 Release".
    static QString versionText();

    // The sheets, modal to this window; each returns when it is closed.
    void showSelectionBadgePrivacyNotice();
    void showPrivacyNotice();

private:
    std::unique_ptr<SettingsViewModel> m_viewModel;
    QListWidget *m_sidebar;
    QStackedWidget *m_pages;
};
