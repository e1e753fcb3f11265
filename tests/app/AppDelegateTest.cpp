#include "app/AppDelegate.h"
#include "daily/UserDefaultsDailyRecommendationCache.h"
#include "foundation/AppError.h"
#include "foundation/AppNotificationCenter.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "reminders/ReminderService.h"
#include "storage/ModelContainer.h"
#include "viewmodels/lookup/LookupViewModel.h"
#include "views/collection/CollectionWindow.h"
#include "views/collection/CollectionWindowController.h"
#include "views/daily/DailyRecommendationWindow.h"
#include "views/daily/DailyRecommendationWindowController.h"
#include "views/lookup/LookupPanelView.h"
#include "views/review/ReviewWindow.h"
#include "views/review/ReviewWindowController.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "support/fakes/FakeDailyRecommendationGenerator.h"
#include "support/fakes/InMemoryReminderNotificationCenter.h"
#include "support/fakes/LookupViewModelFakes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCoroTimer>
#include <QPointer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Kind = LookupViewModel::State::Kind;

namespace {

// Spins the event loop until `condition` holds, for at most three seconds.
bool eventually(const std::function<bool()> &condition)
{
    for (int i = 0; i < 300 && !condition(); ++i)
        waitForTask(QCoro::sleepFor(10ms));
    return condition();
}

class AppDelegateTest : public ::testing::Test {
protected:
    AppDelegateTest()
    {
        AppDelegate::Services services;
        services.makeSelectionCaptureService = [this] { return capture; };
        services.aiClient = ai;
        services.aiAPIKeyStore = aiKeys;
        services.resultCache = std::make_shared<InMemoryLookupResultCache>();
        services.systemDictionary = std::make_shared<FakeSystemDictionary>();
        services.isHotkeyHeld = [this](const GlobalShortcut &) { return hotkeyHeld; };
        services.dailyRecommendationGenerator = std::make_shared<FakeDailyRecommendationGenerator>();
        services.dailyRecommendationCache = std::make_shared<UserDefaultsDailyRecommendationCache>(defaults);
        services.makeReminderService = [this] { return std::make_shared<ReminderService>(reminders); };
        // Presses come straight from the test: the hotkey itself is left off.
        defaults.setValue(AppPreferences::Key::optionDHotkeyEnabled, false);
        delegate = std::make_unique<AppDelegate>(preferences, container.mainContext(), std::move(services), center);
        delegate->applicationDidFinishLaunching();
    }

    ~AppDelegateTest() override
    {
        delegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    LookupViewModel::State panelState() const
    {
        LookupPanelWindow *panel = delegate->lookupPanel();
        return panel ? panel->content()->viewModel().state() : LookupViewModel::State();
    }

    InMemoryUserDefaults defaults;
    std::shared_ptr<InMemoryAPIKeyStore> aiKeys = std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-test"));
    AppPreferences preferences{defaults, aiKeys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo()};
    std::shared_ptr<FakeSelectionCaptureService> capture = std::make_shared<FakeSelectionCaptureService>();
    std::shared_ptr<FakeAIClient> ai = std::make_shared<FakeAIClient>();
    bool hotkeyHeld = false;
    AppNotificationCenter center;
    InMemoryReminderNotificationCenter reminders;
    ModelContainer container{QString::fromLatin1(SQLiteDatabase::inMemoryPath)};
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateTest, APressLooksUpTheSelectionOnceTheKeyIsLetGoAndAFailedCaptureShowsWhy)
{
    hotkeyHeld = true;
    delegate->showLookupPanelFromCurrentSelection();
    waitForTask(QCoro::sleepFor(50ms));
    EXPECT_TRUE(capture->captures.empty()) << "the copy keystroke would go to our own grab";

    hotkeyHeld = false;
    ASSERT_TRUE(eventually([&] { return capture->captures.size() == 1; }));
    capture->captures[0]->answer.resolve(QStringLiteral("take off"));
    ASSERT_TRUE(eventually([&] { return !ai->lookups.empty(); }));
    EXPECT_EQ(ai->lookups[0]->text, QStringLiteral("take off"));
    EXPECT_EQ(ai->lookups[0]->settings.apiKey, QStringLiteral("sk-test"));

    delegate->showLookupPanelFromCurrentSelection();
    ASSERT_TRUE(eventually([&] { return capture->captures.size() == 2; }));
    capture->captures[1]->answer.reject(AppError::selectedTextUnavailable());
    ASSERT_TRUE(eventually([&] { return panelState().kind() == Kind::failed; }));
    EXPECT_EQ(panelState().message(), AppError::selectedTextUnavailable().errorDescription());
    EXPECT_EQ(ai->lookups.size(), 1u);
}

TEST_F(AppDelegateTest, OnlyTheNewestOfOverlappingPressesOpensAPanel)
{
    delegate->showLookupPanelFromCurrentSelection();
    delegate->showLookupPanelFromCurrentSelection();
    ASSERT_TRUE(eventually([&] { return capture->captures.size() == 2; }));
    capture->captures[1]->answer.resolve(QStringLiteral("newer"));
    ASSERT_TRUE(eventually([&] { return !ai->lookups.empty(); }));
    QPointer<LookupPanelWindow> panel = delegate->lookupPanel();

    capture->captures[0]->answer.resolve(QStringLiteral("older"));
    waitForTask(QCoro::sleepFor(50ms));
    EXPECT_EQ(delegate->lookupPanel(), panel.data());
    EXPECT_EQ(ai->lookups.size(), 1u);
    EXPECT_EQ(panelState().selectedText(), std::optional<QString>(QStringLiteral("newer")));
}

TEST_F(AppDelegateTest, NotificationsOpenTheWindowsUntilTermination)
{
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "no window is made before it is asked for";
    center.post(AppNotification::openLookupPanel);
    QPointer<LookupPanelWindow> first = delegate->lookupPanel();
    ASSERT_TRUE(first);
    center.post(AppNotification::openLookupPanel);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(!first && delegate->lookupPanel()) << "one panel at a time";
    center.post(AppNotification::openCollection);
    center.post(AppNotification::openReview);
    EXPECT_TRUE(delegate->collectionWindows()->window() && delegate->reviewWindows()->window());

    delegate->applicationWillTerminate();
    center.post(AppNotification::openLookupPanel);
    EXPECT_EQ(delegate->lookupPanel(), nullptr);
}

TEST_F(AppDelegateTest, ArticleReminderSettingsTakeEffectAndAClickOnTheReminderOpensTheArticle)
{
    EXPECT_TRUE(reminders.pending.isEmpty()) << "the test executables schedule nothing at start-up";
    preferences.setDailyRecommendationEnabled(true);
    preferences.setDailyRecommendationFrequency(QStringLiteral("fortnightly"));
    center.post(AppNotification::dailyRecommendationPreferencesChanged);
    ASSERT_TRUE(eventually([&] { return !reminders.pending.isEmpty(); }));
    EXPECT_EQ(reminders.pendingIdentifiers(), QStringList{QStringLiteral("daily-recommendation-reminder-daily")})
        << "an unknown frequency reads as daily";

    delegate->openNotification({{ReminderService::routeKey(), QStringLiteral("review")}});
    EXPECT_EQ(delegate->dailyRecommendationWindows(), nullptr);
    delegate->openNotification(reminders.pending[0].content.userInfo);
    ASSERT_NE(delegate->dailyRecommendationWindows(), nullptr);
    EXPECT_NE(delegate->dailyRecommendationWindows()->window(), nullptr);
}

} // namespace
