#include "views/settings/SettingsWindow.h"

#include "foundation/AppNotificationCenter.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "reminders/ReminderService.h"
#include "support/TestSupport.h"
#include "support/fakes/InMemoryReminderNotificationCenter.h"
#include "viewmodels/settings/SettingsViewModel.h"
#include "views/support/WindowLegibility.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace {

template<typename T>
T *childWithText(QWidget *parent, const QString &text)
{
    for (T *child : parent->findChildren<T *>())
        if (child->text() == text)
            return child;
    return nullptr;
}

TEST(SettingsWindowTest, ShowsTheSectionsChecksTheDesktopAndAsksBeforeTheBadge)
{
    InMemoryUserDefaults defaults;
    AppPreferences preferences(defaults, std::make_shared<InMemoryAPIKeyStore>(), std::make_shared<InMemoryAPIKeyStore>(),
                               BundleInfo());
    AppNotificationCenter notifications;
    InMemoryReminderNotificationCenter centre;
    auto reminders = std::make_shared<ReminderService>(centre);
    int checks = 0;
    auto *window = new SettingsWindow(
        std::make_unique<SettingsViewModel>(SettingsViewModel::Collaborators{
            preferences, notifications, reminders, reminders, nullptr, {},
            [&checks](bool) -> QCoro::Task<DesktopCheck::Report> {
                ++checks;
                co_return DesktopCheck::Report{{{DesktopCheck::Item::xtest, false, "无扩展"}}, false};
            }}),
        [] {});
    window->show();
    EXPECT_GE(window->width(), 720);
    EXPECT_GE(window->height(), 460);
    ASSERT_EQ(window->sidebar()->count(), window->pages()->count());
    EXPECT_EQ(window->sidebar()->item(5)->text(), "查词触发");
    EXPECT_TRUE(window->findChild<QLabel *>("versionLabel")->text().startsWith("版本 "));

    // The permission page shows the check and re-runs it on request.
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(window->findChild<QLabel *>("permissionStatus")->text().contains("✗ 模拟复制按键（XTEST）：无扩展"));
    childWithText<QPushButton>(window->pages()->widget(0), "刷新权限状态")->click();
    EXPECT_EQ(checks, 2);

    // A plain-HTTP endpoint beyond this machine is warned about as it is typed.
    window->sidebar()->setCurrentRow(1);
    QLineEdit *baseURL = window->pages()->widget(1)->findChildren<QLineEdit *>().first();
    QTest::keyClicks(baseURL, "http://ai.example.com/v1");
    EXPECT_TRUE(window->findChild<QLabel *>("plainHTTPWarning")->isVisible());
    expectLegibleInBothSchemes(window);

    // Choosing a speech provider fills its defaults.
    window->sidebar()->setCurrentRow(2);
    auto *provider = window->pages()->widget(2)->findChild<QComboBox *>();
    provider->setCurrentIndex(provider->findData("dashScopeQwen"));
    emit provider->activated(provider->currentIndex());
    EXPECT_EQ(window->viewModel().ttsVoice, "Cherry");
    EXPECT_TRUE(childWithText<QLineEdit>(window->pages()->widget(2), "qwen3-tts-flash"));

    // The badge waits for the notice; "继续并开启" switches it on.
    window->sidebar()->setCurrentRow(5);
    childWithText<QCheckBox>(window->pages()->widget(5), "开启划词浮标")->click();
    EXPECT_FALSE(preferences.selectionBadgeEnabled());
    auto *notice = window->findChild<QDialog *>();
    ASSERT_TRUE(notice);
    childWithText<QPushButton>(notice, "继续并开启")->click();
    EXPECT_TRUE(preferences.selectionBadgeEnabled());
    EXPECT_TRUE(childWithText<QCheckBox>(window->pages()->widget(5), "开启划词浮标")->isChecked());
    window->close();
}

} // namespace
