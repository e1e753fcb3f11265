#include "helpers/HelperProcess.h"
#include "platform/x11/X11ClipboardServer.h"
#include "support/CoroutineTestSupport.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

SelectionPasteboardItemSnapshot contents(const QByteArray &text)
{
    SelectionPasteboardItemSnapshot item;
    item.setData(QStringLiteral("text/plain"), text);
    item.setData(QStringLiteral("application/x-rarozezev-test"), QByteArray("\0\1\2", 3));
    return item;
}

// The server runs in this process, on this event loop, fed through a socket as the command
// feeds the detached one; another client watches and takes the clipboard. (Ending when another
// client copies is part of the lookup command's end-to-end test.)
class X11ClipboardServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets), 0);
        ASSERT_TRUE(waitForTask(other.start()));
        elapsed.start();
    }
    void TearDown() override
    {
        ::close(sockets[0]);
        ::close(sockets[1]);
    }
    QCoro::Task<int> serve(const QByteArray &input, std::chrono::milliseconds lifetime)
    {
        EXPECT_EQ(::write(sockets[0], input.constData(), size_t(input.size())), input.size());
        ::shutdown(sockets[0], SHUT_WR);
        return X11ClipboardServer::serve(sockets[1], sockets[1], lifetime);
    }
    QByteArray answer()
    {
        char buffer[64] = {};
        const ssize_t n = ::recv(sockets[0], buffer, sizeof buffer - 1, MSG_DONTWAIT);
        return QByteArray(buffer, std::max<ssize_t>(n, 0));
    }
    SelectionPasteboardItemSnapshot seenByOther()
    {
        const auto line = waitForTask(other.request("dump"));
        return (line ? parseClipboardDump(*line) : std::nullopt).value_or(SelectionPasteboardItemSnapshot{});
    }
    void otherCopies(const SelectionPasteboardItemSnapshot &copied)
    {
        ASSERT_EQ(waitForTask(other.request(clipboardSetCommand(copied))), QByteArray("ok"));
    }

    HelperProcess other{QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), {}};
    int sockets[2] = {-1, -1};
    QElapsedTimer elapsed;
};

TEST_F(X11ClipboardServerTest, StopsWhenItsTimeIsUpEvenIfNobodyCopies)
{
    auto serving = serve(X11ClipboardServer::encode({{contents("kept — 保留")}}), 500ms);
    EXPECT_EQ(answer(), QByteArray(X11ClipboardServer::ownedReply) + '\n');
    EXPECT_EQ(seenByOther(), contents("kept — 保留"));
    EXPECT_EQ(waitForTask(std::move(serving)), 0);
    EXPECT_GE(elapsed.elapsed(), 500);
    EXPECT_LT(elapsed.elapsed(), 5000);
}

TEST_F(X11ClipboardServerTest, AnIncompleteSnapshotLeavesTheClipboardAlone)
{
    otherCopies(contents("the other client's"));
    const QByteArray encoded = X11ClipboardServer::encode({{contents("kept")}});
    EXPECT_EQ(waitForTask(serve(encoded.left(encoded.size() - 3), 60s)), 0);
    EXPECT_EQ(answer(), QByteArray());
    EXPECT_EQ(seenByOther(), contents("the other client's"));
}

} // namespace
