#include "capture/KeptSelectionPasteboard.h"
#include "capture/QTimerSelectionCaptureClock.h"
#include "capture/SelectionCaptureService.h"
#include "capture/SelectionPasteboardRestorer.h"

#include "foundation/AppError.h"
#include "foundation/CancellationError.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr quint64 kTimeout = 500'000'000, kPoll = 20'000'000;

SelectionPasteboardItemSnapshot item(std::initializer_list<std::pair<QString, QByteArray>> contents)
{
    SelectionPasteboardItemSnapshot snapshot;
    for (const auto &[type, bytes] : contents)
        snapshot.setData(type, bytes);
    return snapshot;
}

const SelectionPasteboardSnapshot kFormer{{item({{"text/plain", "former"}, {"text/html", "<b>former</b>"}}),
                                           item({{"image/png", QByteArray("\x89PNG\0\1", 6)}, {"x-custom", "c"}})}};

// The desktop a capture works on: an in-memory clipboard of several items, rewritten through
// the real restorer, a copy keystroke, a clock whose sleeps return at once after running
// `during`, and the accessibility reader.
struct FakeDesktop : SelectionPasteboard, SelectionPasteboardSnapshotReplacing, SelectionCopyEventPosting,
                     SelectionCaptureClock, AccessibilitySelectedTextReading {
    SelectionPasteboardSnapshot contents = kFormer;
    qint64 count = 100;
    bool failSnapshot = false, failReplace = false, failPost = false;
    int posts = 0, accessibilityReads = 0;
    std::optional<QString> accessibilityText;
    std::vector<quint64> sleeps;
    std::function<void(int)> during;

    qint64 changeCount() const override { return count; }
    std::optional<QString> stringValue() const override
    {
        const auto bytes = contents.items.value(0).data(QStringLiteral("text/plain"));
        return bytes ? std::optional(QString::fromUtf8(*bytes)) : std::nullopt;
    }
    SelectionPasteboardSnapshot snapshot() override { if (failSnapshot) throw std::runtime_error("unreadable"); return contents; }
    qint64 clearContents() override { contents = {}; return ++count; }
    void restore(const SelectionPasteboardSnapshot &snapshot) override { SelectionPasteboardRestorer::restore(snapshot, *this); }
    bool replaceContents(std::vector<std::unique_ptr<QMimeData>> items) override
    {
        if (failReplace)
            return false;
        contents = {};
        for (const auto &mime : items) {
            contents.items.append(SelectionPasteboardItemSnapshot{});
            for (const QString &format : mime->formats())
                contents.items.back().setData(format, mime->data(format));
        }
        ++count;
        return true;
    }
    void postCopyShortcut() override { ++posts; if (failPost) throw AppError::selectedTextUnavailable(); }
    QCoro::Task<void> sleep(quint64 nanoseconds, CancellationToken cancellation) override
    {
        sleeps.push_back(nanoseconds);
        during(int(sleeps.size()));
        cancellation.throwIfCancelled();
        co_return;
    }
    std::optional<QString> selectedText() override { ++accessibilityReads; return accessibilityText; }
};

// The text, "!" and the error's case, or "cancelled".
QString outcomeOf(QCoro::Task<QString> capture)
{
    try {
        return waitForTask(std::move(capture));
    } catch (const AppError &error) {
        return "!" + error.debugDescription().section('(', 0, 0);
    } catch (const CancellationError &) {
        return QStringLiteral("cancelled");
    }
}

TEST(SelectionCaptureServiceTest, CapturesAndAlwaysPutsTheClipboardBack)
{
    const std::vector<quint64> none, twoPolls{kPoll, kPoll}, fullWait(25, kPoll), zeroPoll{kTimeout};
    const SelectionPasteboardItemSnapshot image = item({{"image/png", "png"}}), blank = item({{"text/plain", " \n"}});
    const char *unavailable = "!selectedTextUnavailable";
    struct Row {
        const char *name;
        std::optional<QString> accessibility = std::nullopt;
        bool trusted = true, failSnapshot = false, failPost = false, failReplace = false, emptyFormer = false;
        int copyAt = 0; // the target copies during this sleep
        std::optional<SelectionPasteboardItemSnapshot> copied = std::nullopt;
        int cancelAt = 0;
        quint64 timeout = kTimeout, poll = kPoll;
        QString outcome; // the text, "!" and the error's case, or "cancelled"
        int posts = 1;
        const std::vector<quint64> *sleeps = nullptr;
        const char *clipboard = "former"; // or "untouched" (never cleared), "empty", "any"
    };
    const Row rows[] = {
        {.name = "accessibility text", .accessibility = "  word \n", .outcome = "word", .posts = 0, .sleeps = &none,
         .clipboard = "untouched"},
        {.name = "untrusted", .trusted = false, .outcome = "!permissionDenied", .posts = 0, .clipboard = "untouched"},
        {.name = "copy seen on the third poll", .accessibility = " \t\n", .copyAt = 2, .outcome = "copied words",
         .sleeps = &twoPolls},
        {.name = "no copy", .outcome = unavailable, .sleeps = &fullWait},
        {.name = "copied an image", .copyAt = 1, .copied = image, .outcome = unavailable},
        {.name = "copied blank text", .copyAt = 1, .copied = blank, .outcome = unavailable},
        {.name = "empty clipboard", .emptyFormer = true, .copyAt = 1, .outcome = "copied words", .clipboard = "empty"},
        {.name = "unreadable clipboard", .failSnapshot = true, .outcome = "!clipboardSnapshotFailed", .posts = 0,
         .clipboard = "untouched"},
        {.name = "failed keystroke", .failPost = true, .outcome = unavailable, .sleeps = &none},
        {.name = "cancelled while waiting", .cancelAt = 3, .outcome = "cancelled"},
        {.name = "restore fails after a copy", .failReplace = true, .copyAt = 1, .outcome = "!clipboardRestoreFailed",
         .clipboard = "any"},
        {.name = "restore fails after none", .failReplace = true, .outcome = "!clipboardRestoreFailed", .clipboard = "any"},
        {.name = "restore fails on cancel", .failReplace = true, .cancelAt = 1, .outcome = "!clipboardRestoreFailed",
         .clipboard = "any"},
        {.name = "zero timeout", .timeout = 0, .outcome = unavailable, .sleeps = &none},
        {.name = "zero poll interval", .poll = 0, .outcome = unavailable, .sleeps = &zeroPoll},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto desktop = std::make_shared<FakeDesktop>();
        std::tie(desktop->accessibilityText, desktop->failSnapshot, desktop->failPost, desktop->failReplace) =
            std::tuple(row.accessibility, row.failSnapshot, row.failPost, row.failReplace);
        desktop->contents = row.emptyFormer ? SelectionPasteboardSnapshot{} : kFormer;
        CancellationToken cancellation;
        desktop->during = [&, d = desktop.get()](int sleep) {
            if (sleep == row.copyAt) {
                d->contents = {{row.copied.value_or(item({{"text/plain", "\n  copied words \t"}}))}};
                ++d->count;
            }
            if (sleep == row.cancelAt)
                cancellation.cancel();
        };
        SelectionCaptureService service(desktop, desktop, desktop, desktop, [&] { return row.trusted; }, row.timeout, row.poll,
                                        std::make_shared<SelectionCaptureGate>());
        EXPECT_EQ(outcomeOf(service.captureSelectedTextUsingClipboardFallback(cancellation)), row.outcome);
        EXPECT_EQ(desktop->posts, row.posts);
        EXPECT_EQ(desktop->sleeps, row.sleeps ? *row.sleeps : desktop->sleeps);
        EXPECT_EQ(desktop->accessibilityReads, row.trusted ? 1 : 0);
        const QString clipboard = row.clipboard;
        EXPECT_TRUE(clipboard != "untouched" || desktop->count == 100);
        EXPECT_TRUE(clipboard != "empty" || desktop->contents.isEmpty());
        // The same items, with the same types in the same order, and the same bytes.
        for (qsizetype i = 0; clipboard == "former" && i < kFormer.items.size(); ++i)
            EXPECT_EQ(desktop->contents.items.value(i).contentsByType, kFormer.items[i].contentsByType) << i;
    }
    EXPECT_EQ(SelectionCaptureService::validatedCapturedText(QStringLiteral("\u3000line one\nline two\u00a0\r\n")),
              QStringLiteral("line one\nline two"));
}

// Two presses in quick succession, each with its own service as the hotkey and the badge make
// them, and nothing to copy: the second must neither snapshot the clipboard the first emptied
// nor take the first one's restore for its copy.
TEST(SelectionCaptureServiceTest, OverlappingCapturesTakeTurnsOnTheClipboard)
{
    auto desktop = std::make_shared<FakeDesktop>();
    const auto gate = std::make_shared<SelectionCaptureGate>();
    const auto service = [&] {
        return SelectionCaptureService(desktop, desktop, std::make_shared<QTimerSelectionCaptureClock>(), desktop,
                                       [] { return true; }, 40'000'000, 5'000'000, gate);
    };
    QCoro::Task<QString> first = service().captureSelectedTextUsingClipboardFallback();
    QCoro::Task<QString> second = service().captureSelectedTextUsingClipboardFallback();
    EXPECT_EQ(desktop->posts, 1) << "the second waits before touching the clipboard";
    EXPECT_EQ(outcomeOf(std::move(first)), "!selectedTextUnavailable");
    EXPECT_EQ(outcomeOf(std::move(second)), "!selectedTextUnavailable");
    EXPECT_EQ(desktop->posts, 2);
    EXPECT_EQ(desktop->contents, kFormer);
}

struct RecordingReplacer : SelectionPasteboardSnapshotReplacing {
    std::optional<std::vector<QStringList>> written;
    bool replaceContents(std::vector<std::unique_ptr<QMimeData>> items) override
    {
        written.emplace();
        for (const auto &mime : items)
            written->push_back(mime->formats());
        return true;
    }
};

TEST(SelectionPasteboardRestorerTest, WritesItemsInOrderAndRefusesANamelessTypeBeforeWriting)
{
    RecordingReplacer replacer;
    SelectionPasteboardRestorer::restore({{item({{"b", "1"}, {"a", "2"}}), item({{"c", "3"}})}}, replacer);
    EXPECT_EQ(replacer.written, (std::vector<QStringList>{{"b", "a"}, {"c"}}));
    SelectionPasteboardRestorer::restore({}, replacer);
    EXPECT_EQ(replacer.written, std::vector<QStringList>{}) << "an empty snapshot still clears";
    RecordingReplacer untouched;
    EXPECT_THROW(SelectionPasteboardRestorer::restore({{item({{"a", "1"}, {QString(), "1"}})}}, untouched), AppError);
    EXPECT_FALSE(untouched.written);
}

TEST(KeptSelectionPasteboardTest, AKeeperStartedAtTheSnapshotTakesItBackElseTheProcessDoes)
{
    struct Keeper : SelectionPasteboardKeeping {
        int &offered;
        bool takes;
        Keeper(int &offered, bool takes) : offered(offered), takes(takes) {}
        bool keep(const SelectionPasteboardSnapshot &) override
        {
            ++offered;
            return takes;
        }
    };
    struct Row {
        const char *name;
        bool empty, starts, takes, failSnapshot;
        int launches, offered, restoredHere;
        bool lost; // the user is told that the clipboard goes with the process
    };
    const Row rows[] = {
        {"kept", false, true, true, false, 1, 1, 0, false},
        {"an empty clipboard needs no keeper", true, true, true, false, 0, 0, 1, false},
        {"no keeper could start", false, false, true, false, 1, 0, 1, true},
        {"the keeper did not take it in time", false, true, false, false, 1, 1, 1, true},
        {"a failed snapshot starts nothing", false, true, true, true, 0, 0, 1, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        auto desktop = std::make_shared<FakeDesktop>();
        desktop->contents = row.empty ? SelectionPasteboardSnapshot{} : kFormer;
        desktop->failSnapshot = row.failSnapshot;
        int launches = 0, offered = 0, lost = 0;
        KeptSelectionPasteboard kept(
            desktop,
            [&]() -> std::unique_ptr<SelectionPasteboardKeeping> {
                ++launches;
                return row.starts ? std::make_unique<Keeper>(offered, row.takes) : nullptr;
            },
            [&] { ++lost; });
        SelectionPasteboardSnapshot snapshot;
        try {
            snapshot = kept.snapshot();
            EXPECT_FALSE(row.failSnapshot);
        } catch (const std::exception &) {
            EXPECT_TRUE(row.failSnapshot);
        }
        EXPECT_EQ(launches, row.launches) << "started before the restore";
        kept.restore(snapshot);
        EXPECT_EQ(offered, row.offered);
        EXPECT_EQ(desktop->count - 100, row.restoredHere);
        EXPECT_EQ(lost, row.lost ? 1 : 0);
        // A keeper serves one snapshot; a later restore without a new snapshot is our own.
        kept.restore(snapshot);
        EXPECT_EQ(desktop->count - 100, row.restoredHere + 1);
    }
}

} // namespace
