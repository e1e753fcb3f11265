#include "capture/ScreenCaptureProcessDetector.h"
#include "badge/SelectionBadgeGeometry.h"
#include "badge/SelectionClickCounter.h"
#include "badge/SelectionDragTracker.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

// --- the drag tracker ---

TEST(SelectionDragTrackerTest, DecidesWhichReleasesLookLikeASelection)
{
    struct Row {
        const char *name;
        QPointF release;
        int clickCount;
        bool selects;
    };
    const Row rows[] = {
        {"plain click", {100, 100}, 1, false},
        {"jitter below the distance", {103, 102}, 1, false},
        {"drag of exactly 4 points", {104, 100}, 1, true},
        {"diagonal drag past 4 points", {103, 103}, 1, true},
        {"double click in place", {100, 100}, 2, true},
    };
    for (const Row &row : rows) {
        SelectionDragTracker tracker;
        tracker.mouseDown({100, 100});
        EXPECT_EQ(tracker.shouldCaptureOnMouseUp(row.release, row.clickCount), row.selects) << row.name;
        EXPECT_FALSE(tracker.mouseDownPoint.has_value()) << row.name;
        EXPECT_FALSE(tracker.hasMeaningfulDrag) << row.name;
    }
}

TEST(SelectionDragTrackerTest, ADragThatReturnsToItsStartSelectsButAnUntrackedReleaseDoesNot)
{
    SelectionDragTracker tracker;
    EXPECT_FALSE(tracker.shouldCaptureOnMouseUp({500, 500}, 2));
    tracker.mouseDragged({600, 600});
    EXPECT_FALSE(tracker.hasMeaningfulDrag);

    tracker.mouseDown({10, 10});
    tracker.mouseDragged({40, 10});
    EXPECT_TRUE(tracker.shouldCaptureOnMouseUp({10, 10}, 1));
    // The next press starts afresh.
    tracker.mouseDown({10, 10});
    EXPECT_FALSE(tracker.shouldCaptureOnMouseUp({10, 10}, 1));
}

// --- click counting from press timing and distance ---

TEST(SelectionClickCounterTest, CountsDoubleAndTripleClicksWithinTheIntervalAndDistance)
{
    SelectionClickCounter counter(400);
    EXPECT_EQ(counter.press({50, 50}, 1000), 1);
    EXPECT_EQ(counter.press({52, 51}, 1200), 2);
    EXPECT_EQ(counter.press({52, 51}, 1500), 3);
    // A fourth quick press starts a new series.
    EXPECT_EQ(counter.press({52, 51}, 1600), 1);
    // Too late, then too far.
    EXPECT_EQ(counter.press({52, 51}, 2001), 1);
    EXPECT_EQ(counter.press({70, 51}, 2100), 1);
    // Server time wraps around after 32 bits; the series goes on across it.
    EXPECT_EQ(counter.press({5, 5}, 0xFFFFFF00u), 1);
    EXPECT_EQ(counter.press({5, 5}, 0x00000010u), 2);
}

// --- badge placement ---

TEST(SelectionBadgeGeometryTest, PlacesTheBadgeRightOfAndBelowThePointerInsideTheVisibleFrame)
{
    const QRectF visible(0, 30, 1440, 870);
    struct Row {
        const char *name;
        QPointF pointer;
        QPointF origin;
    };
    const Row rows[] = {
        {"open space", {500, 400}, {512, 412}},
        {"right edge of a 1440-wide frame", {1440, 400}, {1398, 412}},
        {"bottom edge", {500, 899}, {512, 858}},
        {"above the top panel", {500, 0}, {512, 30}},
        {"left of the frame", {-30, 400}, {0, 412}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(SelectionBadgeGeometry::badgeFrame(row.pointer, visible), QRectF(row.origin, QSizeF(42, 42)))
            << row.name;
}

TEST(SelectionBadgeGeometryTest, AFrameNarrowerThanTheBadgeKeepsItAtTheFrameOrigin)
{
    EXPECT_EQ(SelectionBadgeGeometry::badgeFrame({100, 100}, QRectF(0, 0, 20, 20)), QRectF(0, 0, 42, 42));
    // No screen at all: the empty frame at the origin.
    EXPECT_EQ(SelectionBadgeGeometry::badgeFrame({700, 300}, QRectF()), QRectF(0, 0, 42, 42));
}

TEST(SelectionBadgeGeometryTest, ChoosesTheScreenUnderThePointerElseTheMainElseTheFirst)
{
    const QList<SelectionBadgeScreen> screens{
        {QRectF(0, 0, 1280, 800), QRectF(0, 0, 1280, 770)},
        {QRectF(1280, 0, 1920, 1080), QRectF(1280, 28, 1920, 1052)},
    };
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({100, 100}, screens), screens[0].visibleFrame);
    // The shared edge belongs to the screen on the right.
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({1280, 100}, screens), screens[1].visibleFrame);
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({100, 900}, screens, 1), screens[1].visibleFrame);
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({100, 900}, screens), screens[0].visibleFrame);
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({100, 900}, {}), QRectF());
}

// --- screenshot and recording tools ---

TEST(ScreenCaptureProcessDetectorTest, RecognisesCaptureToolsByIdentifierOrName)
{
    struct Row {
        std::optional<QString> identifier;
        std::optional<QString> name;
        bool matches;
    };
    const Row rows[] = {
        {std::nullopt, QStringLiteral("Screenshot"), true},
        {QStringLiteral("org.example.ScreenCaptureKit"), std::nullopt, true},
        {QStringLiteral("obs"), QStringLiteral("obs"), true},
        {std::nullopt, QStringLiteral("SimpleScreenRecorder"), true},
        // Process names are cut to 15 bytes by the kernel.
        {std::nullopt, QStringLiteral("gnome-screensho"), true},
        {std::nullopt, QStringLiteral("simplescreenrec"), true},
        {std::nullopt, QStringLiteral("jobs"), false},
        {std::nullopt, QStringLiteral("obsidian"), false},
        {QStringLiteral("firefox"), QStringLiteral("Navigator"), false},
        {std::nullopt, std::nullopt, false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(ScreenCaptureProcessDetector::matchesScreenCaptureProcess(row.identifier, row.name), row.matches)
            << row.identifier.value_or(QStringLiteral("-")).toStdString() << " / "
            << row.name.value_or(QStringLiteral("-")).toStdString();
}

TEST(ScreenCaptureProcessDetectorTest, IsActiveWhenTheFrontmostOrAnyRunningApplicationMatches)
{
    const RunningApplication editor{QStringLiteral("Gedit"), QStringLiteral("gedit")};
    const RunningApplication tool{std::nullopt, QStringLiteral("spectacle")};
    EXPECT_FALSE(ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive({editor}, editor));
    EXPECT_TRUE(ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive({editor}, tool));
    EXPECT_TRUE(ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive({editor, tool}, editor));
    EXPECT_FALSE(ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive({}, std::nullopt));
}
