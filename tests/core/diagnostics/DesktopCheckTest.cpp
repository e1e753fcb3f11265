#include "diagnostics/DesktopCheck.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Item = DesktopCheck::Item;

// The main job needs a readable selection, a trigger and an answer (AI with its key, or the
// dictionary); the rest of the desktop only adds comfort. A Wayland session is checked with
// its own items, some of which a weaker way stands in for.
TEST(DesktopCheckTest, TheVerdictFollowsWhatALookupNeeds)
{
    struct Row {
        QList<Item> failing;
        bool works;
        QList<Item> standingIn = {}; // failing, with a fallback
    };
    const QList<Item> common = {Item::displaySession, Item::trayHost,       Item::notificationServer, Item::secretService,
                                Item::soundServer,    Item::dictionaryData, Item::aiEndpoint};
    const std::pair<QList<Item>, QList<Row>> sessions[] = {
        {{Item::hotkeyGrab, Item::primarySelection, Item::xtest, Item::record},
         {
             {{}, true},
             {{Item::trayHost, Item::notificationServer, Item::soundServer, Item::xtest}, true},
             {{Item::hotkeyGrab}, true},                          // the badge still triggers
             {{Item::hotkeyGrab, Item::record}, false},           // nothing triggers
             {{Item::aiEndpoint}, true},                          // the dictionary answers words
             {{Item::secretService, Item::dictionaryData}, false}, // no key, no dictionary
             {{Item::aiEndpoint, Item::dictionaryData}, false},
             {{Item::primarySelection}, false},
             {{Item::displaySession}, false},
         }},
        {{Item::portalShortcut, Item::dataControlSelection, Item::portalKeyboard, Item::waylandMouseWatch},
         {
             {{Item::waylandMouseWatch, Item::portalKeyboard}, true},
             {{Item::waylandMouseWatch}, true, {Item::portalShortcut}},       // the desktop runs `rarozezev trigger`
             {{Item::waylandMouseWatch}, true, {Item::dataControlSelection}}, // XWayland's selections
             {{Item::waylandMouseWatch, Item::dataControlSelection}, false},
         }},
    };
    for (const auto &[items, rows] : sessions) {
        for (const Row &row : rows) {
            QList<std::pair<Item, DesktopCheck::Probe>> probes;
            for (Item item : common + items) {
                probes.append({item, [bad = row.failing.contains(item), standIn = row.standingIn.contains(item)]()
                                         -> QCoro::Task<DesktopCheck::ProbeResult> {
                                   co_return DesktopCheck::ProbeResult{!bad && !standIn, {}, standIn, standIn ? "own" : ""};
                               }});
            }
            const DesktopCheck::Report report = waitForTask(DesktopCheck::run(probes));
            EXPECT_EQ(report.mainJobWorks, row.works) << report.text().toStdString();
            for (const DesktopCheck::Line &line : report.lines) {
                EXPECT_EQ(line.remedy().isEmpty(), line.ok);
                EXPECT_EQ(line.remedy() == "own", line.fallbackWorks);
            }
        }
    }

    // A probe that throws is a failed line carrying its reason, not a failed check.
    const DesktopCheck::Report thrown = waitForTask(DesktopCheck::run(
        {{Item::record, []() -> QCoro::Task<DesktopCheck::ProbeResult> { throw std::runtime_error("no extension"); }}}));
    ASSERT_EQ(thrown.lines.size(), 1);
    EXPECT_FALSE(thrown.lines[0].ok);
    EXPECT_TRUE(thrown.lines[0].text().contains("no extension"));
}

} // namespace
