// Renders every state of the lookup panel, the collection window and the review window
// offscreen, over fake services and an in-memory collection, and saves each as a PNG for
// people to look at. Not a test: it checks nothing.
//
//   render_screenshots DIRECTORY

#include "foundation/AppError.h"
#include "preferences/InMemoryAPIKeyStore.h"
#include "support/fakes/FakeLearningItemStore.h"
#include "support/fakes/LookupViewModelFakes.h"
#include "views/collection/CollectionWindow.h"
#include "views/lookup/LookupPanelView.h"
#include "views/lookup/LookupPanelWindow.h"
#include "views/review/ReviewWindow.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>

namespace {

QString g_directory;

// Lets layouts and paint events run, then saves what the window draws.
void save(QWidget *window, const char *name)
{
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

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("RAROZEZEV_TEST_HOST", "1");
    QApplication app(argc, argv);
    g_directory = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    if (!QDir().mkpath(g_directory)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(g_directory));
        return 1;
    }
    renderLookupPanel();
    renderCollectionAndReview();
    return 0;
}
