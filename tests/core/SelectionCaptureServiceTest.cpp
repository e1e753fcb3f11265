#include "services/SelectionCaptureService.h"
#include "services/SelectionPasteboardRestorer.h"
#include "services/SelectionPasteboardSnapshotReplacing.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "utilities/AppError.h"
#include "utilities/CancellationError.h"

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace {

constexpr quint64 kTimeout = 500'000'000;
constexpr quint64 kPollInterval = 20'000'000;
const QString kPlainText = QStringLiteral("text/plain");

SelectionPasteboardItemSnapshot item(std::initializer_list<std::pair<QString, QByteArray>> contents)
{
    SelectionPasteboardItemSnapshot snapshot;
    for (const auto &[type, bytes] : contents)
        snapshot.setData(type, bytes);
    return snapshot;
}

// An in-memory clipboard of several items, rewritten through the real restorer.
class FakePasteboard : public SelectionPasteboard, public SelectionPasteboardSnapshotReplacing {
public:
    SelectionPasteboardSnapshot contents;
    qint64 count = 100;
    mutable int changeCountReads = 0;
    int snapshots = 0;
    bool failSnapshot = false;
    bool failReplace = false;

    qint64 changeCount() const override
    {
        ++changeCountReads;
        return count;
    }
    std::optional<QString> stringValue() const override
    {
        for (const auto &entry : contents.items) {
            if (auto bytes = entry.data(kPlainText))
                return QString::fromUtf8(*bytes);
        }
        return std::nullopt;
    }
    SelectionPasteboardSnapshot snapshot() override
    {
        ++snapshots;
        if (failSnapshot)
            throw AppError::clipboardSnapshotFailed();
        return contents;
    }
    qint64 clearContents() override
    {
        contents = {};
        return ++count;
    }
    void restore(const SelectionPasteboardSnapshot &snapshot) override
    {
        SelectionPasteboardRestorer::restore(snapshot, *this);
    }
    bool replaceContents(std::vector<std::unique_ptr<QMimeData>> items) override
    {
        if (failReplace)
            return false;
        contents = {};
        ++count;
        for (const auto &mime : items) {
            SelectionPasteboardItemSnapshot written;
            for (const QString &format : mime->formats())
                written.setData(format, mime->data(format));
            contents.items.append(written);
        }
        return true;
    }

    // What the application does when it receives the copy keystroke.
    void copy(const SelectionPasteboardItemSnapshot &copied)
    {
        contents = {{copied}};
        ++count;
    }
};

class FakeCopyEventPoster : public SelectionCopyEventPosting {
public:
    int posts = 0;
    bool fail = false;
    void postCopyShortcut() override
    {
        ++posts;
        if (fail)
            throw AppError::selectedTextUnavailable();
    }
};

// Returns at once; `onSleep` sees the 1-based number of each sleep, as if time passed in it.
class FakeClock : public SelectionCaptureClock {
public:
    std::vector<quint64> sleeps;
    std::function<void(int)> onSleep;

    QCoro::Task<void> sleep(quint64 nanoseconds, CancellationToken cancellation) override
    {
        cancellation.throwIfCancelled();
        sleeps.push_back(nanoseconds);
        if (onSleep)
            onSleep(static_cast<int>(sleeps.size()));
        cancellation.throwIfCancelled();
        co_return;
    }
    quint64 total() const { return std::accumulate(sleeps.begin(), sleeps.end(), quint64{0}); }
};

class FakeAccessibilityReader : public AccessibilitySelectedTextReading {
public:
    std::optional<QString> text;
    int reads = 0;
    std::optional<QString> selectedText() override
    {
        ++reads;
        return text;
    }
};

struct Outcome {
    std::optional<QString> text;
    std::optional<AppError> error;
    bool cancelled = false;
};

class SelectionCaptureServiceTest : public ::testing::Test {
protected:
    std::shared_ptr<FakePasteboard> pasteboard = std::make_shared<FakePasteboard>();
    std::shared_ptr<FakeCopyEventPoster> poster = std::make_shared<FakeCopyEventPoster>();
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    std::shared_ptr<FakeAccessibilityReader> reader = std::make_shared<FakeAccessibilityReader>();
    bool trusted = true;
    quint64 timeout = kTimeout;
    quint64 pollInterval = kPollInterval;
    CancellationToken cancellation;

    const SelectionPasteboardSnapshot former{{
        item({{kPlainText, "former text"}, {QStringLiteral("text/html"), "<b>former</b>"}}),
        item({{QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n\0\1", 10)},
              {QStringLiteral("application/x-custom"), "custom"}}),
    }};

    void SetUp() override { pasteboard->contents = former; }

    Outcome capture()
    {
        SelectionCaptureService service(pasteboard, poster, clock, reader, [this] { return trusted; }, timeout,
                                        pollInterval);
        Outcome outcome;
        try {
            outcome.text = waitForTask(service.captureSelectedTextUsingClipboardFallback(cancellation));
        } catch (const AppError &error) {
            outcome.error = error;
        } catch (const CancellationError &) {
            outcome.cancelled = true;
        }
        return outcome;
    }

    // The application copies `copied` while the clock sleeps for the `atSleep`-th time.
    void copyDuringSleep(int atSleep, const SelectionPasteboardItemSnapshot &copied)
    {
        clock->onSleep = [this, atSleep, copied](int sleep) {
            if (sleep == atSleep)
                pasteboard->copy(copied);
        };
    }

    void expectFormerItemsInOrder() const
    {
        ASSERT_EQ(pasteboard->contents.items.size(), former.items.size());
        for (qsizetype i = 0; i < former.items.size(); ++i)
            EXPECT_EQ(pasteboard->contents.items[i].contentsByType, former.items[i].contentsByType) << "item " << i;
    }
};

TEST_F(SelectionCaptureServiceTest, AccessibilityTextIsTrimmedAndLeavesTheClipboardAlone)
{
    reader->text = QStringLiteral("  word \n");

    const Outcome outcome = capture();

    EXPECT_EQ(outcome.text, QStringLiteral("word"));
    EXPECT_EQ(pasteboard->count, 100);
    EXPECT_EQ(pasteboard->snapshots, 0);
    EXPECT_EQ(poster->posts, 0);
    EXPECT_EQ(pasteboard->contents, former);
}

TEST_F(SelectionCaptureServiceTest, UntrustedProcessIsRefusedBeforeAnythingIsRead)
{
    trusted = false;
    reader->text = QStringLiteral("word");

    const Outcome outcome = capture();

    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(*outcome.error, AppError::permissionDenied(QStringLiteral("辅助功能")));
    EXPECT_EQ(outcome.error->errorDescription(), QStringLiteral("缺少权限：辅助功能。请在系统设置中授权后再次查词。"));
    EXPECT_EQ(reader->reads, 0);
    EXPECT_EQ(pasteboard->snapshots, 0);
    EXPECT_EQ(poster->posts, 0);
}

TEST_F(SelectionCaptureServiceTest, BlankAccessibilityTextFallsBackToTheCopyAndRestoresTheClipboard)
{
    reader->text = QStringLiteral(" \t\n");
    copyDuringSleep(2, item({{kPlainText, "\n  copied words \t"}, {QStringLiteral("text/html"), "<i>x</i>"}}));

    const Outcome outcome = capture();

    EXPECT_EQ(outcome.text, QStringLiteral("copied words"));
    EXPECT_EQ(poster->posts, 1);
    // The change shows on the third poll: one at once and one after each of two sleeps.
    EXPECT_EQ(clock->sleeps, (std::vector<quint64>{kPollInterval, kPollInterval}));
    expectFormerItemsInOrder();
}

TEST_F(SelectionCaptureServiceTest, ClipboardThatNeverChangesTimesOutAfterHalfASecond)
{
    const Outcome outcome = capture();

    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(*outcome.error, AppError::selectedTextUnavailable());
    EXPECT_EQ(clock->sleeps.size(), 25u);
    EXPECT_EQ(clock->total(), kTimeout);
    // One read to remember the count after clearing, then 26 polls.
    EXPECT_EQ(pasteboard->changeCountReads, 1 + 26);
    expectFormerItemsInOrder();
}

TEST_F(SelectionCaptureServiceTest, CopiesWithoutUsableTextAreUnavailable)
{
    const std::vector<SelectionPasteboardItemSnapshot> copies{
        item({{QStringLiteral("image/png"), "png bytes"}}),
        item({{kPlainText, " \n\u3000"}}),
    };
    for (const auto &copied : copies) {
        pasteboard->contents = former;
        clock->sleeps.clear();
        copyDuringSleep(1, copied);

        const Outcome outcome = capture();

        ASSERT_TRUE(outcome.error);
        EXPECT_EQ(*outcome.error, AppError::selectedTextUnavailable());
        EXPECT_EQ(clock->sleeps.size(), 1u) << "a change ends the wait even without text";
        expectFormerItemsInOrder();
    }
}

TEST_F(SelectionCaptureServiceTest, EmptyClipboardIsPutBackEmpty)
{
    pasteboard->contents = {};
    copyDuringSleep(1, item({{kPlainText, "word"}}));

    const Outcome outcome = capture();

    EXPECT_EQ(outcome.text, QStringLiteral("word"));
    EXPECT_TRUE(pasteboard->contents.isEmpty());
}

TEST_F(SelectionCaptureServiceTest, UnreadableClipboardStopsBeforeTheKeystroke)
{
    pasteboard->failSnapshot = true;

    const Outcome outcome = capture();

    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(*outcome.error, AppError::clipboardSnapshotFailed());
    EXPECT_EQ(poster->posts, 0);
    EXPECT_EQ(pasteboard->count, 100);
    EXPECT_EQ(pasteboard->contents, former);
}

TEST_F(SelectionCaptureServiceTest, FailedKeystrokeIsReportedAfterTheClipboardIsRestored)
{
    poster->fail = true;

    const Outcome outcome = capture();

    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(*outcome.error, AppError::selectedTextUnavailable());
    EXPECT_TRUE(clock->sleeps.empty());
    expectFormerItemsInOrder();
}

TEST_F(SelectionCaptureServiceTest, CancellationDuringTheWaitRestoresTheClipboard)
{
    clock->onSleep = [this](int sleep) {
        if (sleep == 3)
            cancellation.cancel();
    };

    const Outcome outcome = capture();

    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(outcome.error);
    expectFormerItemsInOrder();
}

TEST_F(SelectionCaptureServiceTest, FailedRestoreWinsOverEverythingButCancellation)
{
    pasteboard->failReplace = true;

    copyDuringSleep(1, item({{kPlainText, "word"}}));
    Outcome outcome = capture();
    ASSERT_TRUE(outcome.error) << "the captured text must not hide a lost clipboard";
    EXPECT_EQ(*outcome.error, AppError::clipboardRestoreFailed());

    clock->onSleep = nullptr;
    outcome = capture();
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(*outcome.error, AppError::clipboardRestoreFailed());

    clock->onSleep = [this](int) { cancellation.cancel(); };
    outcome = capture();
    EXPECT_TRUE(outcome.cancelled);
}

TEST_F(SelectionCaptureServiceTest, ZeroTimeoutPollsOnceWithoutSleeping)
{
    timeout = 0;

    const Outcome outcome = capture();

    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(*outcome.error, AppError::selectedTextUnavailable());
    EXPECT_TRUE(clock->sleeps.empty());
    EXPECT_EQ(pasteboard->changeCountReads, 1 + 1);
    expectFormerItemsInOrder();
}

TEST_F(SelectionCaptureServiceTest, ZeroPollIntervalStillEndsAtTheTimeout)
{
    pollInterval = 0;

    const Outcome outcome = capture();

    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(clock->sleeps, std::vector<quint64>{kTimeout});
}

TEST_F(SelectionCaptureServiceTest, PendingCaptureOutlivesItsService)
{
    auto service = std::make_unique<SelectionCaptureService>(pasteboard, poster, clock, reader,
                                                             [] { return true; }, kTimeout, kPollInterval);
    auto task = service->captureSelectedTextUsingClipboardFallback();
    service.reset();
    EXPECT_THROW(waitForTask(std::move(task)), AppError);
    expectFormerItemsInOrder();
}

TEST(SelectionCaptureServiceValidation, TrimsOrRefuses)
{
    const struct {
        std::optional<QString> input;
        std::optional<QString> expected;
    } cases[] = {
        {std::nullopt, std::nullopt},
        {QString(), std::nullopt},
        {QStringLiteral(" \t\r\n\u00a0\u3000"), std::nullopt},
        {QStringLiteral("word"), QStringLiteral("word")},
        {QStringLiteral("\n  take off \t"), QStringLiteral("take off")},
        {QStringLiteral("\u3000line one\nline two\u00a0"), QStringLiteral("line one\nline two")},
    };
    for (const auto &c : cases) {
        if (c.expected) {
            EXPECT_EQ(SelectionCaptureService::validatedCapturedText(c.input), *c.expected);
        } else {
            EXPECT_THROW(SelectionCaptureService::validatedCapturedText(c.input), AppError)
                << c.input.value_or(QStringLiteral("<none>")).toStdString();
        }
    }
}

class RecordingReplacer : public SelectionPasteboardSnapshotReplacing {
public:
    std::optional<std::vector<QStringList>> written;
    bool result = true;
    bool replaceContents(std::vector<std::unique_ptr<QMimeData>> items) override
    {
        written.emplace();
        for (const auto &mime : items)
            written->push_back(mime->formats());
        return result;
    }
};

TEST(SelectionPasteboardRestorerTest, WritesEveryItemWithItsTypesInOrder)
{
    RecordingReplacer replacer;
    SelectionPasteboardRestorer::restore({{item({{QStringLiteral("b"), "1"}, {QStringLiteral("a"), "2"}}),
                                           item({{QStringLiteral("c"), "3"}})}},
                                         replacer);
    ASSERT_TRUE(replacer.written);
    EXPECT_EQ(*replacer.written, (std::vector<QStringList>{{"b", "a"}, {"c"}}));

    SelectionPasteboardRestorer::restore({}, replacer);
    EXPECT_EQ(replacer.written, std::vector<QStringList>{}) << "an empty snapshot still clears";
}

TEST(SelectionPasteboardRestorerTest, RefusedOrUnwritableItemsFail)
{
    RecordingReplacer replacer;
    replacer.result = false;
    EXPECT_THROW(SelectionPasteboardRestorer::restore({{item({{QStringLiteral("a"), "1"}})}}, replacer), AppError);

    RecordingReplacer untouched;
    EXPECT_THROW(SelectionPasteboardRestorer::restore({{item({{QString(), "1"}})}}, untouched), AppError);
    EXPECT_FALSE(untouched.written);
}

TEST(SelectionPasteboardItemSnapshotTest, BehavesAsAMapThatRemembersOrder)
{
    SelectionPasteboardItemSnapshot snapshot = item({{QStringLiteral("a"), "1"}, {QStringLiteral("b"), "2"}});
    snapshot.setData(QStringLiteral("a"), "3");
    EXPECT_EQ(snapshot.contentsByType,
              (QList<std::pair<QString, QByteArray>>{{QStringLiteral("a"), "3"}, {QStringLiteral("b"), "2"}}));
    EXPECT_EQ(snapshot, item({{QStringLiteral("b"), "2"}, {QStringLiteral("a"), "3"}}));
    EXPECT_NE(snapshot, item({{QStringLiteral("a"), "3"}}));
    EXPECT_NE(snapshot, item({{QStringLiteral("a"), "3"}, {QStringLiteral("b"), "x"}}));
}

} // namespace
