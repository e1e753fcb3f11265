#include "platform/x11/X11ClipboardServer.h"
#include "platform/x11/X11ClipboardServerProcess.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

SelectionPasteboardSnapshot sampleSnapshot()
{
    SelectionPasteboardItemSnapshot item;
    item.setData(QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("剪贴板 clipboard").toUtf8());
    item.setData(QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n\0\0\xff", 12));
    item.setData(QStringLiteral("application/x-empty"), QByteArray());
    return SelectionPasteboardSnapshot{{item}};
}

TEST(X11ClipboardServerCoding, TakesOnlyACompleteSnapshot)
{
    const SelectionPasteboardSnapshot snapshot = sampleSnapshot();
    const QByteArray bytes = X11ClipboardServer::encode(snapshot);
    const auto decoded = X11ClipboardServer::decode(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, snapshot);
    // The order of the formats is kept too: owners list their preferred one first.
    EXPECT_EQ(decoded->items.front().contentsByType, snapshot.items.front().contentsByType);
    EXPECT_EQ(X11ClipboardServer::decode(X11ClipboardServer::encode({})), SelectionPasteboardSnapshot{});

    // A sender that died halfway, garbage, or more than one snapshot is refused.
    for (const QByteArray &broken : {QByteArray(), bytes.left(bytes.size() - 1), bytes.left(bytes.size() / 2),
                                     QByteArray("owned\n"), bytes + bytes, QByteArray(bytes).replace(0, 1, "X")}) {
        SCOPED_TRACE(broken.size());
        EXPECT_FALSE(X11ClipboardServer::decode(broken));
    }
}

TEST(X11ClipboardServerProcess, TakesAlongOnlyWhatReachesTheDisplay)
{
    const QStringList environment{
        "DISPLAY=:7", "XAUTHORITY=/run/user/1000/xauth", "HOME=/home/u", "LC_ALL=C.UTF-8", "LANG=zh_CN.UTF-8",
        "RAROZEZEV_AI_API_KEY=sk-secret", "OPENAI_API_KEY=sk-other", "DISPLAYED=no", "PATH=/usr/bin",
    };
    EXPECT_EQ(X11ClipboardServerProcess::serverEnvironment(environment),
              QStringList({"DISPLAY=:7", "XAUTHORITY=/run/user/1000/xauth", "HOME=/home/u", "LC_ALL=C.UTF-8",
                           "LANG=zh_CN.UTF-8", "PATH=/usr/bin"}));
}

} // namespace
