#include "badge/SelectionBadgeGeometry.h"
#include "badge/SelectionClickCounter.h"
#include "badge/SelectionDragTracker.h"
#include "capture/ScreenCaptureProcessDetector.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(SelectionDragTrackerTest, DecidesWhichReleasesLookLikeASelection)
{
    struct Row {
        const char *name;
        std::optional<QPointF> draggedTo;
        QPointF release;
        int clickCount;
        bool selects;
    };
    const Row rows[] = {
        {"plain click", {}, {100, 100}, 1, false},
        {"jitter below the distance", {}, {103, 102}, 1, false},
        {"drag of exactly 4 points", {}, {104, 100}, 1, true},
        {"diagonal drag past 4 points", {}, {103, 103}, 1, true},
        {"double click in place", {}, {100, 100}, 2, true},
        {"a drag back to its start", QPointF(130, 100), {100, 100}, 1, true},
        {"a short wiggle", QPointF(102, 101), {100, 100}, 1, false},
    };
    for (const Row &row : rows) {
        SelectionDragTracker tracker;
        tracker.mouseDown({100, 100});
        if (row.draggedTo)
            tracker.mouseDragged(*row.draggedTo);
        EXPECT_EQ(tracker.shouldCaptureOnMouseUp(row.release, row.clickCount), row.selects) << row.name;
        // Each press starts afresh.
        EXPECT_FALSE(tracker.shouldCaptureOnMouseUp(row.release, 2)) << row.name;
    }
}

TEST(SelectionClickCounterTest, CountsDoubleAndTripleClicksWithinTheIntervalAndDistance)
{
    SelectionClickCounter counter(400);
    const std::tuple<QPointF, quint32, int> presses[] = {
        {{50, 50}, 1000, 1}, {{52, 51}, 1200, 2}, {{52, 51}, 1500, 3},
        {{52, 51}, 1600, 1}, // a fourth quick press starts a new series
        {{52, 51}, 2001, 1}, // too late
        {{70, 51}, 2100, 1}, // too far
        {{5, 5}, 0xFFFFFF00u, 1}, {{5, 5}, 0x10, 2}, // across the wrap of the server's clock
    };
    for (const auto &[at, time, count] : presses)
        EXPECT_EQ(counter.press(at, time), count) << time;
}

TEST(SelectionBadgeGeometryTest, PlacesTheBadgeNearThePointerInsideTheVisibleFrame)
{
    const QPointF offset = SelectionBadgeGeometry::badgeOffset;
    const QSizeF size = SelectionBadgeGeometry::badgeSize;
    const QRectF visible(0, 30, 1440, 870);
    const std::tuple<QPointF, QRectF, QPointF> rows[] = {
        {{500, 400}, visible, QPointF(500, 400) + offset},
        {{1440, 400}, visible, {1440 - size.width(), 400 + offset.y()}},
        {{500, 899}, visible, {500 + offset.x(), 900 - size.height()}},
        {{500, 0}, visible, {500 + offset.x(), 30}},
        {{-30, 400}, visible, {0, 400 + offset.y()}},
        {{100, 100}, QRectF(0, 0, 20, 20), {0, 0}}, // narrower than the badge
        {{700, 300}, QRectF(), {0, 0}},              // no screen at all
    };
    for (const auto &[pointer, frame, origin] : rows)
        EXPECT_EQ(SelectionBadgeGeometry::badgeFrame(pointer, frame), QRectF(origin, size)) << pointer.x();

    const QList<SelectionBadgeScreen> screens{{QRectF(0, 0, 1280, 800), QRectF(0, 0, 1280, 770)},
                                              {QRectF(1280, 0, 1920, 1080), QRectF(1280, 28, 1920, 1052)}};
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({100, 100}, screens), screens[0].visibleFrame);
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({1280, 100}, screens), screens[1].visibleFrame) << "shared edge";
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({100, 900}, screens, 1), screens[1].visibleFrame) << "main";
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({100, 900}, screens), screens[0].visibleFrame) << "first";
    EXPECT_EQ(SelectionBadgeGeometry::visibleFrame({100, 900}, {}), QRectF());
}

TEST(ScreenCaptureProcessDetectorTest, RecognisesCaptureToolsByIdentifierOrName)
{
    const std::tuple<std::optional<QString>, std::optional<QString>, bool> rows[] = {
        {std::nullopt, QStringLiteral("Screenshot"), true},
        {QStringLiteral("org.example.ScreenCaptureKit"), std::nullopt, true},
        {QStringLiteral("obs"), QStringLiteral("obs"), true},
        {std::nullopt, QStringLiteral("SimpleScreenRecorder"), true},
        {std::nullopt, QStringLiteral("simplescreenrec"), true}, // cut to 15 bytes by the kernel
        {std::nullopt, QStringLiteral("jobs"), false},
        {std::nullopt, QStringLiteral("obsidian"), false},
        {QStringLiteral("firefox"), QStringLiteral("Navigator"), false},
        {std::nullopt, std::nullopt, false},
    };
    for (const auto &[identifier, name, matches] : rows)
        EXPECT_EQ(ScreenCaptureProcessDetector::matchesScreenCaptureProcess(identifier, name), matches)
            << name.value_or(identifier.value_or(QString())).toStdString();

    const RunningApplication editor{QStringLiteral("Gedit"), QStringLiteral("gedit")};
    const RunningApplication tool{std::nullopt, QStringLiteral("spectacle")};
    EXPECT_FALSE(ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive({editor}, editor));
    EXPECT_TRUE(ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive({editor}, tool));
    EXPECT_TRUE(ScreenCaptureProcessDetector::isScreenCaptureInterfaceActive({editor, tool}, std::nullopt));
}
