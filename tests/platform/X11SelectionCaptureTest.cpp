#include "platform/X11SelectionPasteboard.h"
#include "platform/XTestCopyEventPoster.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(XTestCopyEventPosterTest, RecognisesTerminalsByEitherWindowClassName)
{
    using namespace std::string_view_literals;
    const struct {
        std::string_view wmClass;
        bool terminal;
    } cases[] = {
        {"xterm\0XTerm\0"sv, true},
        {"urxvt\0URxvt\0"sv, true},
        {"gnome-terminal-server\0Gnome-terminal\0"sv, true},
        {"konsole\0konsole\0"sv, true},
        {"Alacritty\0Alacritty\0"sv, true},
        {"st-256color\0st-256color\0"sv, true},
        {"org.wezfurlong.wezterm\0org.wezfurlong.wezterm\0"sv, true},
        {"custom-instance\0kitty\0"sv, true},
        // Without the trailing NUL some clients leave off.
        {"xfce4-terminal\0Xfce4-terminal"sv, true},
        {"Navigator\0firefox\0"sv, false},
        {"code\0Code\0"sv, false},
        {"libreoffice\0libreoffice-writer\0"sv, false},
        // Names that merely contain a terminal's name.
        {"stterm-notes\0Notes\0"sv, false},
        {"\0\0"sv, false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(XTestCopyEventPoster::isTerminalEmulatorWindowClass(
                      QByteArray(c.wmClass.data(), static_cast<qsizetype>(c.wmClass.size()))),
                  c.terminal)
            << std::string(c.wmClass);
    }
}

TEST(X11SelectionPasteboardTest, SnapshotsRealFormatsOnly)
{
    const struct {
        const char *format;
        bool kept;
    } cases[] = {
        {"text/plain", true},
        {"text/html", true},
        {"image/png", true},
        {"text/uri-list", true},
        {"application/x-rarozezev-test", true},
        {"UTF8_STRING", true},
        {"TARGETS", false},
        {"MULTIPLE", false},
        {"TIMESTAMP", false},
        {"SAVE_TARGETS", false},
        {"DELETE", false},
        {"INCR", false},
        {"application/x-qt-image", false},
        {"application/x-qt-windows-mime;value=\"Rich Text Format\"", false},
        {"", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(X11SelectionPasteboard::isSnapshotFormat(QString::fromLatin1(c.format)), c.kept) << c.format;
}
