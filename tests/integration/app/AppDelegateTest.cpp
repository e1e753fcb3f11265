#include "app/AppDelegate.h"
#include "preferences/AppPreferences.h"
#include "hotkey/HotkeyHandlerToken.h"
#include "hotkey/HotkeyRegistrationBackend.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "hotkey/RegisteredHotkeyToken.h"
#include "storage/ModelContainer.h"
#include "storage/SQLiteDatabase.h"
#include "foundation/AppError.h"
#include "foundation/AppNotificationCenter.h"
#include "viewmodels/lookup/LookupViewModel.h"
#include "views/collection/CollectionWindow.h"
#include "views/collection/CollectionWindowController.h"
#include "views/lookup/LookupPanelView.h"
#include "views/review/ReviewWindow.h"
#include "views/review/ReviewWindowController.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "support/fakes/LookupViewModelFakes.h"

#include <QCoreApplication>
#include <QCoroTimer>
#include <QPointer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Kind = LookupViewModel::State::Kind;

namespace {

// The platform's side of Alt+D: records what is registered and presses the key on request.
struct HotkeyPlatform {
    int registrations = 0;
    int unregistrations = 0;
    bool refuses = false;
    std::function<void()> onTrigger;

    bool isRegistered() const { return registrations > unregistrations; }
    void press() const
    {
        if (isRegistered() && onTrigger)
            onTrigger();
    }
};

class FakeHotkeyBackend : public HotkeyRegistrationBackend {
public:
    explicit FakeHotkeyBackend(HotkeyPlatform &platform) : m_platform(platform) {}

    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) override
    {
        m_platform.onTrigger = std::move(onTrigger);
        return std::make_unique<Token>();
    }
    void removeHandler(std::unique_ptr<HotkeyHandlerToken>) override { m_platform.onTrigger = nullptr; }
    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override
    {
        if (m_platform.refuses)
            throw std::runtime_error("grabbed elsewhere");
        ++m_platform.registrations;
        return std::make_unique<Token>();
    }
    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken>) override { ++m_platform.unregistrations; }

private:
    struct Token : HotkeyHandlerToken, RegisteredHotkeyToken {};
    HotkeyPlatform &m_platform;
};

// Spins the event loop until `condition` holds, for at most `timeout`.
bool eventually(const std::function<bool()> &condition, std::chrono::milliseconds timeout = 3s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        waitForTask(QCoro::sleepFor(10ms));
    }
    return true;
}

LookupResult result(const QString &text)
{
    LookupResult value;
    value.selectedText = text;
    value.contextualMeaning = QStringLiteral("释义：") + text;
    return value;
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
        services.makeHotkeyBackend = [this] { return std::make_unique<FakeHotkeyBackend>(hotkey); };
        services.isHotkeyHeld = [this] { return hotkeyHeld; };
        delegate = std::make_unique<AppDelegate>(
            std::make_unique<AppPreferences>(defaults, aiKeys, std::make_shared<InMemoryAPIKeyStore>(), BundleInfo()),
            std::move(services), center);
        delegate->setModelContainer(&container);
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
    std::shared_ptr<FakeSelectionCaptureService> capture = std::make_shared<FakeSelectionCaptureService>();
    std::shared_ptr<FakeAIClient> ai = std::make_shared<FakeAIClient>();
    HotkeyPlatform hotkey;
    bool hotkeyHeld = false;
    AppNotificationCenter center;
    ModelContainer container{QString::fromLatin1(SQLiteDatabase::inMemoryPath)};
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST_F(AppDelegateTest, TheMenuOpensOneFreshPanelAtATimeThatNeverInheritsAPin)
{
    delegate->applicationDidFinishLaunching();
    center.post(AppNotification::openLookupPanel);
    QPointer<LookupPanelWindow> first = delegate->lookupPanel();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(panelState().kind(), Kind::idle);

    first->togglePin();
    EXPECT_TRUE(delegate->lookupPanelPinned());

    center.post(AppNotification::openLookupPanel);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(first) << "the earlier panel was not closed";
    ASSERT_TRUE(delegate->lookupPanel());
    EXPECT_FALSE(delegate->lookupPanelPinned());

    // Closing the panel forgets it; the next one is built anew.
    delegate->lookupPanel()->close();
    EXPECT_EQ(delegate->lookupPanel(), nullptr);
    EXPECT_FALSE(delegate->lookupPanelStatus().value(QStringLiteral("open")).toBool());

    delegate->applicationWillTerminate();
    center.post(AppNotification::openLookupPanel);
    EXPECT_EQ(delegate->lookupPanel(), nullptr);
}

TEST_F(AppDelegateTest, TheCollectionAndReviewWindowsOpenOnceEach)
{
    delegate->applicationDidFinishLaunching();
    center.post(AppNotification::openCollection);
    ASSERT_TRUE(delegate->collectionWindows() && delegate->collectionWindows()->window());
    QPointer<CollectionWindow> collection = delegate->collectionWindows()->window();
    center.post(AppNotification::openCollection);
    EXPECT_EQ(delegate->collectionWindows()->window(), collection.data());

    center.post(AppNotification::openReview);
    ASSERT_TRUE(delegate->reviewWindows() && delegate->reviewWindows()->window());
    EXPECT_TRUE(delegate->reviewWindows()->window()->isVisible());
}

TEST_F(AppDelegateTest, WithoutTheDatabaseNoWindowOpens)
{
    delegate->setModelContainer(nullptr);
    delegate->applicationDidFinishLaunching();
    for (AppNotification name : {AppNotification::openLookupPanel, AppNotification::openCollection, AppNotification::openReview})
        center.post(name);
    EXPECT_EQ(delegate->lookupPanel(), nullptr);
    EXPECT_EQ(delegate->collectionWindows(), nullptr);
    EXPECT_EQ(delegate->reviewWindows(), nullptr);
}

TEST_F(AppDelegateTest, TheHotkeyFollowsItsSwitchAtOnceAndAFailedGrabLeavesTheProgramRunning)
{
    hotkey.refuses = true;
    delegate->applicationDidFinishLaunching();
    EXPECT_FALSE(delegate->isHotkeyRegistered());

    hotkey.refuses = false;
    defaults.setValue(AppPreferences::Key::optionDHotkeyEnabled, false);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_FALSE(delegate->isHotkeyRegistered());
    defaults.setValue(AppPreferences::Key::optionDHotkeyEnabled, true);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_TRUE(delegate->isHotkeyRegistered());
    EXPECT_EQ(hotkey.registrations, 1);

    // The badge watches every click on the desktop; a test host never installs it.
    defaults.setValue(AppPreferences::Key::selectionBadgeEnabled, true);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_FALSE(delegate->isSelectionBadgeMonitoring());

    delegate->applicationWillTerminate();
    EXPECT_FALSE(hotkey.isRegistered());
}

TEST_F(AppDelegateTest, APressLooksUpTheSelectionOnceTheKeyIsLetGoAndAFailedCaptureShowsWhy)
{
    delegate->applicationDidFinishLaunching();
    hotkeyHeld = true;
    hotkey.press();
    waitForTask(QCoro::sleepFor(50ms));
    EXPECT_TRUE(capture->captures.empty()) << "the copy keystroke would go to our own grab";

    hotkeyHeld = false;
    ASSERT_TRUE(eventually([&] { return capture->captures.size() == 1; }));
    capture->captures[0]->answer.resolve(QStringLiteral("take off"));
    ASSERT_TRUE(eventually([&] { return !ai->lookups.empty(); }));
    EXPECT_EQ(ai->lookups[0]->text, QStringLiteral("take off"));
    EXPECT_EQ(ai->lookups[0]->settings.apiKey, QStringLiteral("sk-test"));
    ai->lookups[0]->answer.resolve(result(QStringLiteral("take off")));
    EXPECT_TRUE(eventually([&] { return panelState().kind() == Kind::loaded; }));

    hotkey.press();
    ASSERT_TRUE(eventually([&] { return capture->captures.size() == 2; }));
    capture->captures[1]->answer.reject(AppError::selectedTextUnavailable());
    ASSERT_TRUE(eventually([&] { return panelState().kind() == Kind::failed; }));
    EXPECT_EQ(panelState().message(), AppError::selectedTextUnavailable().errorDescription());
    EXPECT_EQ(ai->lookups.size(), 1u);
}

TEST_F(AppDelegateTest, OnlyTheNewestOfOverlappingPressesOpensAPanel)
{
    delegate->applicationDidFinishLaunching();
    hotkey.press();
    hotkey.press();
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
