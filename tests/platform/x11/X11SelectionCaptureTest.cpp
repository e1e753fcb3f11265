#include "platform/x11/X11SelectionPasteboard.h"
#include "platform/x11/XTestCopyEventPoster.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string_view>

TEST(XTestCopyEventPosterTest, RecognisesTerminalsByEitherWindowClassName)
{
    using namespace std::string_view_literals;
    const std::pair<std::string_view, bool> cases[] = {
        {"xterm\0XTerm\0"sv, true},
        {"gnome-terminal-server\0Gnome-terminal\0"sv, true},
        {"custom-instance\0kitty\0"sv, true},
        {"xfce4-terminal\0Xfce4-terminal"sv, true}, // without the last NUL
        {"Navigator\0firefox\0"sv, false},
        {"stterm-notes\0Notes\0"sv, false}, // only contains a terminal's name
        {"\0\0"sv, false},
    };
    for (const auto &[wmClass, terminal] : cases) {
        EXPECT_EQ(XTestCopyEventPoster::isTerminalEmulatorWindowClass(
                      QByteArray(wmClass.data(), static_cast<qsizetype>(wmClass.size()))),
                  terminal)
            << std::string(wmClass);
    }
}

TEST(X11SelectionPasteboardTest, SnapshotsRealFormatsOnly)
{
    const std::pair<const char *, bool> cases[] = {
        {"text/plain", true},      {"image/png", true},     {"application/x-rarozezev-test", true},
        {"UTF8_STRING", true},     {"TARGETS", false},      {"SAVE_TARGETS", false},
        {"MULTIPLE", false},       {"INCR", false},         {"application/x-qt-image", false},
        {"", false},
    };
    for (const auto &[format, kept] : cases)
        EXPECT_EQ(X11SelectionPasteboard::isSnapshotFormat(QString::fromLatin1(format)), kept) << format;
}
