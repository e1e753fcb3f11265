#include "capture/KeptSelectionPasteboard.h"

#include "support/TestSupport.h"
#include "foundation/AppError.h"

#include <gtest/gtest.h>

namespace {

SelectionPasteboardSnapshot snapshotOf(const QString &text)
{
    SelectionPasteboardItemSnapshot item;
    item.setData(QStringLiteral("text/plain"), text.toUtf8());
    item.setData(QStringLiteral("text/html"), "<b>" + text.toUtf8() + "</b>");
    return SelectionPasteboardSnapshot{{item}};
}

// A clipboard in memory that records what was put back by the process itself.
class MemoryPasteboard : public SelectionPasteboard {
public:
    qint64 changeCount() const override { return 0; }
    std::optional<QString> stringValue() const override { return std::nullopt; }
    SelectionPasteboardSnapshot snapshot() override
    {
        if (snapshotFails)
            throw AppError::clipboardSnapshotFailed();
        return contents;
    }
    qint64 clearContents() override { return 0; }
    void restore(const SelectionPasteboardSnapshot &snapshot) override { restored.append(snapshot); }

    SelectionPasteboardSnapshot contents;
    bool snapshotFails = false;
    QList<SelectionPasteboardSnapshot> restored;
};

struct Keeper : SelectionPasteboardKeeping {
    explicit Keeper(bool takes, QList<SelectionPasteboardSnapshot> &kept) : takes(takes), kept(kept) {}
    bool keep(const SelectionPasteboardSnapshot &snapshot) override
    {
        kept.append(snapshot);
        return takes;
    }
    bool takes;
    QList<SelectionPasteboardSnapshot> &kept;
};

class KeptSelectionPasteboardTest : public ::testing::Test {
protected:
    KeptSelectionPasteboard pasteboard()
    {
        return KeptSelectionPasteboard(memory, [this]() -> std::unique_ptr<SelectionPasteboardKeeping> {
            ++launches;
            if (!keeperStarts)
                return nullptr;
            return std::make_unique<Keeper>(keeperTakes, kept);
        });
    }

    std::shared_ptr<MemoryPasteboard> memory = std::make_shared<MemoryPasteboard>();
    bool keeperStarts = true;
    bool keeperTakes = true;
    int launches = 0;
    QList<SelectionPasteboardSnapshot> kept;
};

TEST_F(KeptSelectionPasteboardTest, TheKeeperHoldsTheRestoredSnapshot)
{
    memory->contents = snapshotOf(QStringLiteral("former"));
    auto kept = pasteboard();
    const SelectionPasteboardSnapshot snapshot = kept.snapshot();
    EXPECT_EQ(launches, 1) << "started early, to be ready when the snapshot goes back";

    kept.restore(snapshot);
    EXPECT_EQ(this->kept, QList<SelectionPasteboardSnapshot>{snapshot});
    EXPECT_TRUE(memory->restored.isEmpty());

    // A keeper serves one snapshot; a later restore without a new snapshot is our own.
    kept.restore(snapshot);
    EXPECT_EQ(memory->restored, QList<SelectionPasteboardSnapshot>{snapshot});
}

TEST_F(KeptSelectionPasteboardTest, FallsBackToRestoringItselfWheneverNoKeeperTakesIt)
{
    // An empty clipboard needs nobody to keep it.
    {
        auto kept = pasteboard();
        kept.restore(kept.snapshot());
        EXPECT_EQ(launches, 0);
        EXPECT_EQ(memory->restored, QList<SelectionPasteboardSnapshot>{SelectionPasteboardSnapshot{}});
    }
    memory->contents = snapshotOf(QStringLiteral("former"));
    memory->restored.clear();
    // No keeper could be started, or it did not take the snapshot in time.
    for (const bool starts : {false, true}) {
        keeperStarts = starts;
        keeperTakes = false;
        auto kept = pasteboard();
        kept.restore(kept.snapshot());
    }
    EXPECT_EQ(memory->restored.size(), 2);
    EXPECT_EQ(kept.size(), 1);

    // A failed snapshot starts nothing and is reported as it was.
    memory->snapshotFails = true;
    launches = 0;
    auto kept = pasteboard();
    EXPECT_THROW(kept.snapshot(), AppError);
    EXPECT_EQ(launches, 0);
}

} // namespace
