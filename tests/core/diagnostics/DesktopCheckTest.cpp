#include "diagnostics/DesktopCheck.h"

#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using Item = DesktopCheck::Item;

// The main job needs a readable selection, a trigger and an answer (AI with its key, or the
// dictionary); the rest of the desktop only adds comfort.
TEST(DesktopCheckTest, TheVerdictFollowsWhatALookupNeeds)
{
    const std::pair<QList<Item>, bool> rows[] = {
        {{}, true},
        {{Item::trayHost, Item::notificationServer, Item::soundServer, Item::xtest}, true},
        {{Item::hotkeyGrab}, true},                          // the badge still triggers
        {{Item::hotkeyGrab, Item::record}, false},           // nothing triggers
        {{Item::aiEndpoint}, true},                          // the dictionary answers words
        {{Item::secretService, Item::dictionaryData}, false}, // no key, no dictionary
        {{Item::aiEndpoint, Item::dictionaryData}, false},
        {{Item::primarySelection}, false},
        {{Item::displaySession}, false},
    };
    const QList<Item> all = {Item::displaySession, Item::trayHost,         Item::notificationServer, Item::secretService,
                             Item::soundServer,    Item::hotkeyGrab,       Item::primarySelection,   Item::xtest,
                             Item::record,         Item::dictionaryData,   Item::aiEndpoint};
    for (const auto &[failing, works] : rows) {
        QList<std::pair<Item, DesktopCheck::Probe>> probes;
        for (Item item : all) {
            probes.append({item, [bad = failing.contains(item)]() -> QCoro::Task<DesktopCheck::ProbeResult> {
                               co_return DesktopCheck::ProbeResult{!bad, {}};
                           }});
        }
        const DesktopCheck::Report report = waitForTask(DesktopCheck::run(probes));
        EXPECT_EQ(report.mainJobWorks, works) << report.text().toStdString();
        for (const DesktopCheck::Line &line : report.lines)
            EXPECT_EQ(line.remedy().isEmpty(), line.ok);
    }

    // A probe that throws is a failed line carrying its reason, not a failed check.
    const DesktopCheck::Report thrown = waitForTask(DesktopCheck::run(
        {{Item::record, []() -> QCoro::Task<DesktopCheck::ProbeResult> { throw std::runtime_error("no extension"); }}}));
    ASSERT_EQ(thrown.lines.size(), 1);
    EXPECT_FALSE(thrown.lines[0].ok);
    EXPECT_TRUE(thrown.lines[0].text().contains("no extension"));
}

} // namespace
