#include "app/AppDelegate.h"
#include "foundation/AppError.h"
#include "foundation/AppNotificationCenter.h"
#include "hotkey/HotkeyRegistrationBackend.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "storage/ModelContainer.h"
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

// The desktop's side of Alt+D: whether it is registered, and a press on request.
class FakeHotkeyBackend : public HotkeyRegistrationBackend {
public:
    struct Desktop {
        int registered = 0;
        std::function<void()> onTrigger;
        void press() const { registered > 0 && onTrigger ? onTrigger() : void(); }
    };
    explicit FakeHotkeyBackend(Desktop &desktop) : m_desktop(desktop) {}

private:
    std::unique_ptr<HotkeyHandlerToken> installHandler(std::function<void()> onTrigger) override
    {
        m_desktop.onTrigger = std::move(onTrigger);
        return std::make_unique<Token>();
    }
    void removeHandler(std::unique_ptr<HotkeyHandlerToken>) override { m_desktop.onTrigger = nullptr; }
    std::unique_ptr<RegisteredHotkeyToken> registerDefaultHotkey() override
    {
        return ++m_desktop.registered, std::make_unique<Token>();
    }
    void unregisterHotkey(std::unique_ptr<RegisteredHotkeyToken>) override { --m_desktop.registered; }

    struct Token : HotkeyHandlerToken, RegisteredHotkeyToken {};
    Desktop &m_desktop;
};

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
        services.makeHotkeyBackend = [this] { return std::make_unique<FakeHotkeyBackend>(hotkey); };
        services.isHotkeyHeld = [this] { return hotkeyHeld; };
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
    FakeHotkeyBackend::Desktop hotkey;
    bool hotkeyHeld = false;
    AppNotificationCenter center;
    ModelContainer container{QString::fromLatin1(SQLiteDatabase::inMemoryPath)};
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(AppDelegateTest, APressLooksUpTheSelectionOnceTheKeyIsLetGoAndAFailedCaptureShowsWhy)
{
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
    LookupResult result;
    result.selectedText = QStringLiteral("take off");
    result.contextualMeaning = QStringLiteral("起飞");
    ai->lookups[0]->answer.resolve(result);
    ASSERT_TRUE(eventually([&] { return panelState().kind() == Kind::loaded; }));
    const QJsonObject status = delegate->lookupPanelStatus();
    EXPECT_EQ(status.value("state").toString(), QStringLiteral("loaded"));
    EXPECT_EQ(status.value("explanation").toString(), result.contextualMeaning);

    hotkey.press();
    ASSERT_TRUE(eventually([&] { return capture->captures.size() == 2; }));
    capture->captures[1]->answer.reject(AppError::selectedTextUnavailable());
    ASSERT_TRUE(eventually([&] { return panelState().kind() == Kind::failed; }));
    EXPECT_EQ(panelState().message(), AppError::selectedTextUnavailable().errorDescription());
    EXPECT_EQ(ai->lookups.size(), 1u);
}

TEST_F(AppDelegateTest, OnlyTheNewestOfOverlappingPressesOpensAPanel)
{
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

TEST_F(AppDelegateTest, NotificationsOpenOnePanelAndOneWindowOfEachKindUntilTermination)
{
    center.post(AppNotification::openLookupPanel);
    QPointer<LookupPanelWindow> first = delegate->lookupPanel();
    ASSERT_TRUE(first);
    first->togglePin();
    center.post(AppNotification::openLookupPanel);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(first) << "the earlier panel, pinned or not, was not closed";
    ASSERT_TRUE(delegate->lookupPanel());
    EXPECT_FALSE(delegate->lookupPanelPinned());
    delegate->lookupPanel()->close();
    EXPECT_FALSE(delegate->lookupPanelStatus().value(QStringLiteral("open")).toBool());

    center.post(AppNotification::openCollection);
    ASSERT_TRUE(delegate->collectionWindows() && delegate->collectionWindows()->window());
    QPointer<CollectionWindow> collection = delegate->collectionWindows()->window();
    center.post(AppNotification::openCollection);
    EXPECT_EQ(delegate->collectionWindows()->window(), collection.data());
    center.post(AppNotification::openReview);
    ASSERT_TRUE(delegate->reviewWindows() && delegate->reviewWindows()->window());

    // The hotkey follows its switch at once.
    defaults.setValue(AppPreferences::Key::optionDHotkeyEnabled, false);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_FALSE(delegate->isHotkeyRegistered());
    defaults.setValue(AppPreferences::Key::optionDHotkeyEnabled, true);
    center.post(AppNotification::lookupTriggerPreferencesChanged);
    EXPECT_EQ(hotkey.registered, 1);

    delegate->applicationWillTerminate();
    EXPECT_EQ(hotkey.registered, 0);
    center.post(AppNotification::openLookupPanel);
    EXPECT_EQ(delegate->lookupPanel(), nullptr);
}

} // namespace
