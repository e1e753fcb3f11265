#include "hotkey/GlobalShortcut.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(GlobalShortcutTest, ParsesWhatTheHotkeyCanBeIntoOneCanonicalText)
{
    const std::pair<const char *, const char *> rows[] = {
        {"Alt+D", "Alt+D"},           {" alt + d ", "Alt+D"},        {"shift+control+k", "Ctrl+Shift+K"},
        {"Meta+F8", "Super+F8"},      {"Win+Shift+7", "Super+Shift+7"}, {"Ctrl+F24", "Ctrl+F24"},
        {"D", ""},                    {"Shift+D", ""},               {"Alt+Alt+D", ""},
        {"Ctrl+F25", ""},             {"Ctrl+F0", ""},               {"Ctrl+Enter", ""},
        {"Ctrl+é", ""},               {"Alt+", ""},                  {"", ""},
    };
    for (const auto &[text, canonical] : rows) {
        const std::optional<GlobalShortcut> parsed = GlobalShortcut::parse(QString::fromUtf8(text));
        EXPECT_EQ(parsed ? parsed->toString() : QString(), QString::fromUtf8(canonical)) << text;
    }
}

} // namespace
