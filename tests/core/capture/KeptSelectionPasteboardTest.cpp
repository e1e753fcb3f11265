#include "capture/KeptSelectionPasteboard.h"

#include "foundation/AppError.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// A clipboard in memory that counts what the process put back itself, and keepers that count
// what they were handed.
struct Desk : SelectionPasteboard {
    qint64 changeCount() const override { return 0; }
    std::optional<QString> stringValue() const override { return std::nullopt; }
    SelectionPasteboardSnapshot snapshot() override
    {
        if (snapshotFails)
            throw AppError::clipboardSnapshotFailed();
        return contents;
    }
    qint64 clearContents() override { return 0; }
    void restore(const SelectionPasteboardSnapshot &) override { ++restoredHere; }

    struct Keeper : SelectionPasteboardKeeping {
        Desk &desk;
        explicit Keeper(Desk &desk) : desk(desk) {}
        bool keep(const SelectionPasteboardSnapshot &) override
        {
            ++desk.offered;
            return desk.keeperTakes;
        }
    };
    KeptSelectionPasteboard kept(const std::shared_ptr<Desk> &self)
    {
        return KeptSelectionPasteboard(self, [this]() -> std::unique_ptr<SelectionPasteboardKeeping> {
            ++launches;
            return keeperStarts ? std::make_unique<Keeper>(*this) : nullptr;
        });
    }

    SelectionPasteboardSnapshot contents;
    bool snapshotFails = false, keeperStarts = true, keeperTakes = true;
    int launches = 0, offered = 0, restoredHere = 0;
};

SelectionPasteboardSnapshot former()
{
    SelectionPasteboardItemSnapshot item;
    item.setData(QStringLiteral("text/plain"), "former");
    return {{item}};
}

TEST(KeptSelectionPasteboardTest, AKeeperStartedAtTheSnapshotTakesItBackElseTheProcessDoes)
{
    struct Row {
        const char *name;
        bool empty, starts, takes;
        int launches, offered, restoredHere;
    };
    const Row rows[] = {
        {"kept", false, true, true, 1, 1, 0},
        {"an empty clipboard needs no keeper", true, true, true, 0, 0, 1},
        {"no keeper could start", false, false, true, 1, 0, 1},
        {"the keeper did not take it in time", false, true, false, 1, 1, 1},
    };
    for (const Row &row : rows) {
        auto desk = std::make_shared<Desk>();
        desk->contents = row.empty ? SelectionPasteboardSnapshot{} : former();
        desk->keeperStarts = row.starts;
        desk->keeperTakes = row.takes;
        KeptSelectionPasteboard kept = desk->kept(desk);
        const SelectionPasteboardSnapshot snapshot = kept.snapshot();
        EXPECT_EQ(desk->launches, row.launches) << row.name << ": started before the restore";
        kept.restore(snapshot);
        EXPECT_EQ(desk->offered, row.offered) << row.name;
        EXPECT_EQ(desk->restoredHere, row.restoredHere) << row.name;
        // A keeper serves one snapshot; a later restore without a new snapshot is our own.
        kept.restore(snapshot);
        EXPECT_EQ(desk->restoredHere, row.restoredHere + 1) << row.name;
    }
}

TEST(KeptSelectionPasteboardTest, AFailedSnapshotStartsNothing)
{
    auto desk = std::make_shared<Desk>();
    desk->snapshotFails = true;
    KeptSelectionPasteboard kept = desk->kept(desk);
    EXPECT_THROW(kept.snapshot(), AppError);
    EXPECT_EQ(desk->launches, 0);
}

} // namespace
