#include "capture/SelectionCaptureService.h"
#include "capture/SelectionPasteboardRestorer.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"
#include "foundation/AppError.h"
#include "foundation/CancellationError.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr quint64 kTimeout = 500'000'000;
constexpr quint64 kPoll = 20'000'000;

SelectionPasteboardItemSnapshot item(std::initializer_list<std::pair<QString, QByteArray>> contents)
{
    SelectionPasteboardItemSnapshot snapshot;
    for (const auto &[type, bytes] : contents)
        snapshot.setData(type, bytes);
    return snapshot;
}

// An in-memory clipboard of several items, rewritten through the real restorer.
struct FakePasteboard : SelectionPasteboard, SelectionPasteboardSnapshotReplacing {
    SelectionPasteboardSnapshot contents;
    qint64 count = 100;
    mutable int countReads = 0;
    bool failSnapshot = false;
    bool failReplace = false;

    qint64 changeCount() const override
    {
        ++countReads;
        return count;
    }
    std::optional<QString> stringValue() const override
    {
        for (const auto &entry : contents.items) {
            if (auto bytes = entry.data(QStringLiteral("text/plain")))
                return QString::fromUtf8(*bytes);
        }
        return std::nullopt;
    }
    SelectionPasteboardSnapshot snapshot() override
    {
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
        for (const auto &mime : items) {
            contents.items.append(SelectionPasteboardItemSnapshot{});
            for (const QString &format : mime->formats())
                contents.items.back().setData(format, mime->data(format));
        }
        ++count;
        return true;
    }
};

struct FakePoster : SelectionCopyEventPosting {
    int posts = 0;
    bool fail = false;
    void postCopyShortcut() override
    {
        ++posts;
        if (fail)
            throw AppError::selectedTextUnavailable();
    }
};

// Returns at once; `during` sees the 1-based number of each sleep, as if time passed in it.
struct FakeClock : SelectionCaptureClock {
    std::vector<quint64> sleeps;
    std::function<void(int)> during;
    QCoro::Task<void> sleep(quint64 nanoseconds, CancellationToken cancellation) override
    {
        cancellation.throwIfCancelled();
        sleeps.push_back(nanoseconds);
        if (during)
            during(static_cast<int>(sleeps.size()));
        cancellation.throwIfCancelled();
        co_return;
    }
};

struct FakeReader : AccessibilitySelectedTextReading {
    std::optional<QString> text;
    int reads = 0;
    std::optional<QString> selectedText() override
    {
        ++reads;
        return text;
    }
};

class SelectionCaptureServiceTest : public ::testing::Test {
protected:
    std::shared_ptr<FakePasteboard> pasteboard = std::make_shared<FakePasteboard>();
    std::shared_ptr<FakePoster> poster = std::make_shared<FakePoster>();
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    std::shared_ptr<FakeReader> reader = std::make_shared<FakeReader>();
    bool trusted = true;
    quint64 timeout = kTimeout;
    quint64 poll = kPoll;
    CancellationToken cancellation;
    const SelectionPasteboardSnapshot former{{
        item({{QStringLiteral("text/plain"), "former"}, {QStringLiteral("text/html"), "<b>former</b>"}}),
        item({{QStringLiteral("image/png"), QByteArray("\x89PNG\0\1", 6)}, {QStringLiteral("x-custom"), "c"}}),
    }};

    void SetUp() override { pasteboard->contents = former; }

    // The text, or the error's message, or "cancelled".
    QString capture()
    {
        SelectionCaptureService service(pasteboard, poster, clock, reader, [this] { return trusted; }, timeout, poll);
        try {
            return waitForTask(service.captureSelectedTextUsingClipboardFallback(cancellation));
        } catch (const AppError &error) {
            return error.errorDescription();
        } catch (const CancellationError &) {
            return QStringLiteral("cancelled");
        }
    }

    void copyDuringSleep(int sleep, const SelectionPasteboardItemSnapshot &copied)
    {
        clock->during = [this, sleep, copied](int current) {
            if (current == sleep) {
                pasteboard->contents = {{copied}};
                ++pasteboard->count;
            }
        };
    }

    // Same items, same types in the same order, same bytes.
    void expectFormerClipboard() const
    {
        ASSERT_EQ(pasteboard->contents.items.size(), former.items.size());
        for (qsizetype i = 0; i < former.items.size(); ++i)
            EXPECT_EQ(pasteboard->contents.items[i].contentsByType, former.items[i].contentsByType) << "item " << i;
    }
};

const QString kUnavailable = AppError::selectedTextUnavailable().errorDescription();
const QString kRestoreFailed = AppError::clipboardRestoreFailed().errorDescription();

TEST_F(SelectionCaptureServiceTest, AccessibilityTextIsTrimmedAndLeavesTheClipboardAlone)
{
    reader->text = QStringLiteral("  word \n");
    EXPECT_EQ(capture(), QStringLiteral("word"));
    EXPECT_EQ(pasteboard->count, 100);
    EXPECT_EQ(poster->posts, 0);
}

TEST_F(SelectionCaptureServiceTest, UntrustedProcessIsRefusedBeforeAnythingIsRead)
{
    trusted = false;
    reader->text = QStringLiteral("word");
    EXPECT_EQ(capture(), QStringLiteral("缺少权限：辅助功能。请在系统设置中授权后再次查词。"));
    EXPECT_EQ(reader->reads, 0);
    EXPECT_EQ(pasteboard->count, 100);
}

TEST_F(SelectionCaptureServiceTest, BlankAccessibilityTextFallsBackToTheCopyAndRestoresTheClipboard)
{
    reader->text = QStringLiteral(" \t\n");
    copyDuringSleep(2, item({{QStringLiteral("text/plain"), "\n  copied words \t"}}));

    EXPECT_EQ(capture(), QStringLiteral("copied words"));
    EXPECT_EQ(poster->posts, 1);
    // Seen on the third poll: one at once and one after each of two sleeps.
    EXPECT_EQ(clock->sleeps, (std::vector<quint64>{kPoll, kPoll}));
    expectFormerClipboard();
}

TEST_F(SelectionCaptureServiceTest, ClipboardThatNeverChangesTimesOutAfterHalfASecond)
{
    EXPECT_EQ(capture(), kUnavailable);
    EXPECT_EQ(clock->sleeps, std::vector<quint64>(25, kPoll));
    EXPECT_EQ(pasteboard->countReads, 1 + 26) << "one read after clearing, then 26 polls";
    expectFormerClipboard();
}

TEST_F(SelectionCaptureServiceTest, CopiesWithoutUsableTextAreUnavailable)
{
    for (const auto &copied : {item({{QStringLiteral("image/png"), "png"}}), item({{QStringLiteral("text/plain"), " \n"}})}) {
        pasteboard->contents = former;
        copyDuringSleep(1, copied);
        EXPECT_EQ(capture(), kUnavailable);
        expectFormerClipboard();
    }
}

TEST_F(SelectionCaptureServiceTest, EmptyClipboardIsPutBackEmpty)
{
    pasteboard->contents = {};
    copyDuringSleep(1, item({{QStringLiteral("text/plain"), "word"}}));
    EXPECT_EQ(capture(), QStringLiteral("word"));
    EXPECT_TRUE(pasteboard->contents.isEmpty());
}

TEST_F(SelectionCaptureServiceTest, UnreadableClipboardStopsBeforeTheKeystroke)
{
    pasteboard->failSnapshot = true;
    EXPECT_EQ(capture(), AppError::clipboardSnapshotFailed().errorDescription());
    EXPECT_EQ(poster->posts, 0);
    EXPECT_EQ(pasteboard->count, 100);
    EXPECT_EQ(pasteboard->contents, former);
}

TEST_F(SelectionCaptureServiceTest, FailedKeystrokeIsReportedAfterTheClipboardIsRestored)
{
    poster->fail = true;
    EXPECT_EQ(capture(), kUnavailable);
    EXPECT_TRUE(clock->sleeps.empty());
    expectFormerClipboard();
}

TEST_F(SelectionCaptureServiceTest, CancellationDuringTheWaitRestoresTheClipboard)
{
    clock->during = [this](int sleep) {
        if (sleep == 3)
            cancellation.cancel();
    };
    EXPECT_EQ(capture(), QStringLiteral("cancelled"));
    expectFormerClipboard();
}

TEST_F(SelectionCaptureServiceTest, FailedRestoreWinsOverEverythingButCancellation)
{
    pasteboard->failReplace = true;
    copyDuringSleep(1, item({{QStringLiteral("text/plain"), "word"}}));
    EXPECT_EQ(capture(), kRestoreFailed) << "the text must not hide a lost clipboard";

    clock->during = nullptr;
    EXPECT_EQ(capture(), kRestoreFailed);

    clock->during = [this](int) { cancellation.cancel(); };
    EXPECT_EQ(capture(), QStringLiteral("cancelled"));
}

TEST_F(SelectionCaptureServiceTest, DegenerateTimingsStillEnd)
{
    timeout = 0;
    EXPECT_EQ(capture(), kUnavailable);
    EXPECT_TRUE(clock->sleeps.empty());
    EXPECT_EQ(pasteboard->countReads, 1 + 1) << "one read after clearing, one poll";

    // A zero poll interval would never advance the elapsed time.
    timeout = kTimeout;
    poll = 0;
    EXPECT_EQ(capture(), kUnavailable);
    EXPECT_EQ(clock->sleeps, std::vector<quint64>{kTimeout});
}

TEST(SelectionCaptureServiceValidation, TrimsOrRefuses)
{
    const std::pair<std::optional<QString>, QString> cases[] = {
        {std::nullopt, QString()},
        {QStringLiteral(" \t\r\n\u00a0\u3000"), QString()},
        {QStringLiteral("\n  take off \t"), QStringLiteral("take off")},
        {QStringLiteral("\u3000line one\nline two\u00a0"), QStringLiteral("line one\nline two")},
    };
    for (const auto &[input, expected] : cases) {
        if (expected.isEmpty())
            EXPECT_THROW(SelectionCaptureService::validatedCapturedText(input), AppError);
        else
            EXPECT_EQ(SelectionCaptureService::validatedCapturedText(input), expected);
    }
}

struct RecordingReplacer : SelectionPasteboardSnapshotReplacing {
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

TEST(SelectionPasteboardRestorerTest, WritesItemsInOrderOrFails)
{
    RecordingReplacer replacer;
    SelectionPasteboardRestorer::restore({{item({{"b", "1"}, {"a", "2"}}), item({{"c", "3"}})}}, replacer);
    EXPECT_EQ(replacer.written, (std::vector<QStringList>{{"b", "a"}, {"c"}}));
    SelectionPasteboardRestorer::restore({}, replacer);
    EXPECT_EQ(replacer.written, std::vector<QStringList>{}) << "an empty snapshot still clears";

    replacer.result = false;
    EXPECT_THROW(SelectionPasteboardRestorer::restore({{item({{"a", "1"}})}}, replacer), AppError);

    RecordingReplacer untouched;
    EXPECT_THROW(SelectionPasteboardRestorer::restore({{item({{QString(), "1"}})}}, untouched), AppError);
    EXPECT_FALSE(untouched.written) << "a nameless type fails before anything is written";
}

} // namespace
