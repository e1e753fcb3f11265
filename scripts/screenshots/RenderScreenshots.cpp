// Renders every state of the lookup panel and every other window (collection, review,
// settings, daily article, selection badge) offscreen, over fake services and an in-memory
// collection, and saves each as a PNG for people to look at. Not a test: it checks nothing.
// "dark" switches the desktop palette to a dark one; a screen size fits each window to an
// available area of that many logical pixels first, as on a small screen.
//
//   render_screenshots DIRECTORY light|dark [WIDTHxHEIGHT]

#include "daily/UserDefaultsDailyRecommendationCache.h"
#include "foundation/AppError.h"
#include "preferences/AppPreferences.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "preferences/InMemoryUserDefaults.h"
#include "reminders/ReminderService.h"
#include "support/DarkDesktopPalette.h"
#include "support/fakes/FakeDailyRecommendationGenerator.h"
#include "support/fakes/FakeLearningItemStore.h"
#include "support/fakes/InMemoryReminderNotificationCenter.h"
#include "support/fakes/LookupViewModelFakes.h"
#include "viewmodels/daily/DailyRecommendationViewModel.h"
#include "viewmodels/settings/SettingsViewModel.h"
#include "views/badge/SelectionBadgePresenter.h"
#include "views/collection/CollectionWindow.h"
#include "views/common/WindowPlacement.h"
#include "views/daily/DailyRecommendationWindow.h"
#include "views/lookup/LookupPanelView.h"
#include "views/lookup/LookupPanelWindow.h"
#include "views/review/ReviewWindow.h"
#include "views/settings/SettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

QString g_directory;
QRect g_screen;

// Lets layouts and paint events run, then saves what the window draws.
void save(QWidget *window, const char *name)
{
    if (g_screen.isValid() && !window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus))
        WindowPlacement::fitInto(window, g_screen);
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    const QString path = QDir(g_directory).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (!window->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

void renderLookupPanel()
{
    auto capture = std::make_shared<FakeSelectionCaptureService>();
    auto ai = std::make_shared<FakeAIClient>();
    auto dictionary = std::make_shared<FakeSystemDictionary>();
    dictionary->definitions.insert(QStringLiteral("take off"),
                                   QStringLiteral("take off | teɪk ɒf | ① leave the ground ② remove clothing"));
    auto viewModel = std::make_shared<LookupViewModel>(capture, ai, std::make_shared<InMemoryAPIKeyStore>(),
                                                       std::make_shared<InMemoryLookupResultCache>(), dictionary);
    const auto noop = [](const LookupResult &) -> QCoro::Task<void> { co_return; };
    const auto unsaved = [](const LookupResult &) -> QCoro::Task<bool> { co_return false; };
    {
        LookupPanelWindow idle(new LookupPanelView(viewModel, UserSettings(), LookupPanelStartAction::none(), noop,
                                                   noop, unsaved));
        idle.setAttribute(Qt::WA_DeleteOnClose, false);
        idle.show();
        save(&idle, "lookup-panel-idle");
    }
    auto *view = new LookupPanelView(viewModel, UserSettings(), LookupPanelStartAction::captureSelection(), noop,
                                     noop, unsaved);
    LookupPanelWindow window(view);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    save(&window, "lookup-panel-capturing");

    capture->captures.back()->answer.resolve(QStringLiteral("take off"));
    save(&window, "lookup-panel-loading");
    FastLookupResult fast;
    fast.itemType = LearningItemType::phrase;
    fast.primaryMeaning = QStringLiteral("起飞；（事业）腾飞");
    fast.translation = QStringLiteral("飞机准时起飞了。");
    fast.example = QStringLiteral("The plane took off on time.");
    fast.briefUsageNote = QStringLiteral("不及物用法，后面不接宾语。");
    ai->fastLookups.back()->answer.resolve(fast);
    save(&window, "lookup-panel-quick-answer");

    LookupResult full;
    full.phonetic = QStringLiteral("/teɪk ɒf/");
    full.contextualMeaning = QStringLiteral("（飞机）起飞");
    full.commonMeanings = {QStringLiteral("脱下（衣物）"), QStringLiteral("突然成功；迅速流行")};
    full.partOfSpeech = QStringLiteral("phrasal verb");
    full.collocations = {QStringLiteral("take off on time"), QStringLiteral("take off one's coat")};
    full.examples = {QStringLiteral("The plane took off on time."),
                     QStringLiteral("Her career really took off after the film.")};
    full.translation = QStringLiteral("飞机准时起飞了。");
    full.usageNotes = {QStringLiteral("表示“起飞”时不接宾语。")};
    ai->lookups.back()->answer.resolve(full);
    save(&window, "lookup-panel-loaded");

    view->controller().toggleSource();
    save(&window, "lookup-panel-dictionary");
    viewModel->lookupWithSystemDictionary(QStringLiteral("zyzzyva"), UserSettings());
    save(&window, "lookup-panel-ready-for-ai");
    viewModel->showFailure(AppError::aiRequestFailedDetail(QStringLiteral("HTTP 500")).errorDescription(),
                           QStringLiteral("take off"));
    save(&window, "lookup-panel-failed");
}

std::shared_ptr<LearningItem> item(const QString &text, LearningItemType type, const QString &explanation)
{
    std::shared_ptr<LearningItem> made = makeLearningItem(text, type);
    made->explanation = explanation;
    return made;
}

void renderCollectionAndReview()
{
    FakeLearningItemStore store;
    AppNotificationCenter notifications;
    CollectionWindow collection([&] { return std::make_unique<ForwardingStore>(store); }, CollectionExportAction(),
                                notifications);
    collection.show();
    save(&collection, "collection-empty");
    store.items = {
        item(QStringLiteral("take off"), LearningItemType::phrase,
             QStringLiteral("### 释义\n\n**语境义**\n- （飞机）起飞\n\n**常见义**\n- 脱下（衣物）\n- 突然成功\n\n"
                            "### 例句\n\n- The plane took off on time.\n\n### 用法\n\n表示“起飞”时不接宾语。")),
        item(QStringLiteral("serendipity"), LearningItemType::word, QStringLiteral("### 释义\n\n- 意外发现珍宝的运气")),
        item(QStringLiteral("It never rains but it pours."), LearningItemType::sentence,
             QStringLiteral("祸不单行。\n- 坏事往往接踵而至"))};
    collection.load();
    save(&collection, "collection-with-items");

    ReviewWindow review([&] { return std::make_unique<ForwardingStore>(store); },
                        std::make_unique<ReviewViewModel>([](int) { return 0; }));
    review.show();
    save(&review, "review-question");
    review.showAnswer();
    save(&review, "review-answer");
}

void renderSettings()
{
    InMemoryUserDefaults defaults;
    AppPreferences preferences(defaults, std::make_shared<InMemoryAPIKeyStore>(),
                               std::make_shared<InMemoryAPIKeyStore>(), BundleInfo());
    AppNotificationCenter notifications;
    InMemoryReminderNotificationCenter centre;
    auto reminders = std::make_shared<ReminderService>(centre);
    SettingsWindow window(std::make_unique<SettingsViewModel>(SettingsViewModel::Collaborators{
                              preferences, notifications, reminders, reminders, nullptr, {},
                              [](bool) -> QCoro::Task<DesktopCheck::Report> {
                                  co_return DesktopCheck::Report{{{DesktopCheck::Item::xtest, false, "无扩展"}},
                                                                 false};
                              }}),
                          [] {});
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    save(&window, "settings");
}

void renderDailyArticleAndBadge()
{
    InMemoryUserDefaults defaults;
    AppPreferences preferences(defaults, std::make_shared<InMemoryAPIKeyStore>(QStringLiteral("sk-test")),
                               std::make_shared<InMemoryAPIKeyStore>(), BundleInfo());
    auto generator = std::make_shared<FakeDailyRecommendationGenerator>();
    DailyRecommendationWindow window(
        std::make_unique<DailyRecommendationViewModel>(DailyRecommendationViewModel::Collaborators{
            preferences, generator, std::make_shared<UserDefaultsDailyRecommendationCache>(defaults)}),
        [] { return true; }, [](const QString &) {});
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    save(&window, "daily-article-loading");
    generator->requests.back()->answer.resolve(sampleRecommendation(QStringLiteral("Tides")));
    save(&window, "daily-article");

    SelectionBadgePresenter badge;
    badge.show(QStringLiteral("take off"), QPointF(200, 200), [] {});
    save(badge.window(), "selection-badge");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("RAROZEZEV_TEST_HOST", "1");
    QApplication app(argc, argv);
    g_directory = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    // The Fusion style draws its controls from the palette, as desktop styles do.
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc > 2 && qstrcmp(argv[2], "dark") == 0)
        QApplication::setPalette(darkDesktopPalette());
    if (argc > 3) {
        const QStringList size = QString::fromLatin1(argv[3]).split(u'x');
        if (size.size() == 2)
            g_screen = QRect(0, 0, size[0].toInt(), size[1].toInt());
    }
    if (!QDir().mkpath(g_directory)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(g_directory));
        return 1;
    }
    renderLookupPanel();
    renderCollectionAndReview();
    renderSettings();
    renderDailyArticleAndBadge();
    return 0;
}
