#include "integration/app/TrayApplicationHarness.h"

namespace {

using LookupSelectionTest = TrayApplicationHarness;

// With nothing in PRIMARY, `lookup --selection` copies the selection with Ctrl+C, puts the
// learner's clipboard back and, as it exits at once, leaves a server to keep that clipboard.
TEST_F(LookupSelectionTest, TheCopiedSelectionIsExplainedAndTheClipboardOutlivesTheCommand)
{
    SelectionPasteboardItemSnapshot former;
    former.setData(QStringLiteral("text/plain"), QStringLiteral("the user's clipboard — 剪贴板").toUtf8());
    former.setData(QStringLiteral("application/x-rarozezev-test"), QByteArray("\0\1binary\xfe", 9));
    configureService();
    auto owner = std::make_unique<HelperProcess>(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), QStringList{});
    ASSERT_TRUE(waitForTask(owner->start()));
    ASSERT_EQ(waitForTask(owner->request(clipboardSetCommand(former))), "ok");
    startTarget(QStringLiteral("  serendipity "));
    ASSERT_EQ(waitForTask(owner->request("primary " + QByteArray("  ").toBase64())), "ok");

    const Result looked = run({"lookup", "--selection"});
    ASSERT_EQ(looked.exitCode, 0) << looked.err.toStdString();
    EXPECT_TRUE(looked.out.contains(explanation));
    EXPECT_TRUE(serverReceivedPromptWith(QStringLiteral("serendipity")));

    // The command and the clipboard's former owner are gone; a newcomer still finds it.
    owner = std::make_unique<HelperProcess>(QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), QStringList{});
    target.reset();
    ASSERT_TRUE(waitForTask(owner->start()));
    const std::optional<QByteArray> seen = waitForTask(owner->request("dump"));
    EXPECT_EQ(seen ? parseClipboardDump(*seen) : std::nullopt, former);
    // Taking the clipboard ends the server left behind.
    waitForTask(owner->request(clipboardSetCommand(SelectionPasteboardItemSnapshot{})));
}

} // namespace
