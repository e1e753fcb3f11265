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

SelectionPasteboardItemSnapshot keptContents()
{
    SelectionPasteboardItemSnapshot contents;
    contents.setData(QStringLiteral("text/plain"), QStringLiteral("kept — 保留").toUtf8());
    contents.setData(QStringLiteral("text/html"), "<b>kept</b>");
    contents.setData(QStringLiteral("application/x-rarozezev-test"), QByteArray("\0\1\2", 3));
    return contents;
}

// The server runs in this process, on this event loop, fed through a socket as the command
// feeds the detached one.
class X11ClipboardServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run inside the desktop session";
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_sockets), 0);
        ASSERT_TRUE(waitForTask(other.start()));
    }
    void TearDown() override
    {
        ::close(m_sockets[0]);
        ::close(m_sockets[1]);
    }

    QCoro::Task<int> serve(const QByteArray &input, std::chrono::milliseconds lifetime)
    {
        EXPECT_EQ(::write(m_sockets[0], input.constData(), static_cast<size_t>(input.size())), input.size());
        ::shutdown(m_sockets[0], SHUT_WR);
        return X11ClipboardServer::serve(m_sockets[1], m_sockets[1], lifetime);
    }
    QByteArray answer()
    {
        char buffer[64] = {};
        const ssize_t n = ::recv(m_sockets[0], buffer, sizeof buffer - 1, MSG_DONTWAIT);
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }
    SelectionPasteboardItemSnapshot clipboardSeenByOther()
    {
        const auto line = waitForTask(other.request("dump"));
        return (line ? parseClipboardDump(*line) : std::nullopt).value_or(SelectionPasteboardItemSnapshot{});
    }

    HelperProcess other{QStringLiteral(RAROZEZEV_CLIPBOARD_OWNER), {}};
    int m_sockets[2] = {-1, -1};
};

TEST_F(X11ClipboardServerTest, ServesUntilAnotherClientCopies)
{
    QElapsedTimer elapsed;
    elapsed.start();
    auto serving = serve(X11ClipboardServer::encode({{keptContents()}}), 60s);
    EXPECT_EQ(answer(), QByteArray("owned\n"));
    EXPECT_EQ(clipboardSeenByOther(), keptContents());

    SelectionPasteboardItemSnapshot newer;
    newer.setData(QStringLiteral("text/plain"), "newer");
    ASSERT_EQ(waitForTask(other.request(clipboardSetCommand(newer))), QByteArray("ok"));
    EXPECT_EQ(waitForTask(std::move(serving)), 0);
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_EQ(clipboardSeenByOther(), newer);
}

TEST_F(X11ClipboardServerTest, StopsWhenItsTimeIsUpEvenIfNobodyCopies)
{
    QElapsedTimer elapsed;
    elapsed.start();
    auto serving = serve(X11ClipboardServer::encode({{keptContents()}}), 500ms);
    EXPECT_EQ(clipboardSeenByOther(), keptContents());
    EXPECT_EQ(waitForTask(std::move(serving)), 0);
    EXPECT_GE(elapsed.elapsed(), 500);
    EXPECT_LT(elapsed.elapsed(), 5000);
}

TEST_F(X11ClipboardServerTest, AnIncompleteSnapshotLeavesTheClipboardAlone)
{
    SelectionPasteboardItemSnapshot own;
    own.setData(QStringLiteral("text/plain"), "the other client's");
    ASSERT_EQ(waitForTask(other.request(clipboardSetCommand(own))), QByteArray("ok"));

    const QByteArray encoded = X11ClipboardServer::encode({{keptContents()}});
    EXPECT_EQ(waitForTask(serve(encoded.left(encoded.size() - 3), 60s)), 0);
    EXPECT_EQ(answer(), QByteArray());
    EXPECT_EQ(clipboardSeenByOther(), own);
}

} // namespace
