#include "platform/wayland/WaylandSelectionCapture.h"

#include "foundation/AppError.h"
#include "platform/wayland/PortalRemoteDesktopKeyboard.h"
#include "platform/wayland/WaylandClipboardKeeper.h"

#include <QCoroTimer>

namespace {

using Selection = WaylandDataControlSelection::Selection;

// How long the copied text may take to reach the clipboard, and how often it is looked for.
constexpr int kCopyPolls = 25;
constexpr std::chrono::milliseconds kCopyPollInterval{20};

} // namespace

WaylandSelectionCapture::WaylandSelectionCapture(std::optional<WaylandDataControlSelection> selection,
                                                 std::optional<CopyFallback> copyFallback)
    : m_selection(std::move(selection)), m_copyFallback(std::move(copyFallback))
{
}

QCoro::Task<QString> WaylandSelectionCapture::captureSelectedTextUsingClipboardFallback(CancellationToken cancellation)
{
    cancellation.throwIfCancelled();
    if (!m_selection)
        throw AppError::selectedTextUnreadableHere(
            QStringLiteral("此桌面不允许程序读取其他程序中选中的文字。请把英文粘贴到查词窗口，"
                           "或在终端中运行 rarozezev lookup \"英文\"；也可以改用 X11 会话。"));
    const QString text = m_selection->text(Selection::primary).value_or(QString()).trimmed();
    if (!text.isEmpty())
        co_return text;
    if (m_copyFallback) {
        const QString copied = (co_await copySelection(cancellation)).value_or(QString()).trimmed();
        if (!copied.isEmpty())
            co_return copied;
        if (m_copyFallback->keyboard->state() == PortalRemoteDesktopKeyboard::State::granted)
            throw AppError::selectedTextUnreadableHere(
                QStringLiteral("没有读到选中的文字。请先用鼠标或键盘选中英文，再按快捷键。"));
    }
    throw AppError::selectedTextUnreadableHere(
        QStringLiteral("没有读到选中的文字。请先用鼠标或键盘选中英文，再按快捷键；"
                       "在此桌面上 Rarozezev 不会替你按 Ctrl+C，剪贴板保持不变。"));
}

QCoro::Task<std::optional<QString>> WaylandSelectionCapture::copySelection(CancellationToken cancellation)
{
    // The keeper and keyboard are shared: they outlive this capture if the program quits meanwhile.
    const CopyFallback fallback = *m_copyFallback;
    const WaylandDataControlSelection selection = *m_selection;
    if (fallback.keyboard->state() == PortalRemoteDesktopKeyboard::State::refused)
        co_return std::nullopt;
    // While the clipboard is our own, its contents are at hand, and reading it through the
    // compositor would wait on this very thread to answer.
    const auto ownClipboard = [keeper = fallback.keeper] { return *keeper && (*keeper)->ownsClipboard(); };
    const bool wasOwn = ownClipboard();
    std::optional<WaylandDataControlSelection::Contents> former =
        wasOwn ? (*fallback.keeper)->contents() : selection.clipboardContents();
    if (!former)
        co_return std::nullopt;
    const std::optional<QString> before = wasOwn ? std::nullopt : selection.text(Selection::clipboard);
    if (!co_await fallback.keyboard->pressCopy())
        co_return std::nullopt;
    std::optional<QString> copied;
    for (int poll = 0; poll < kCopyPolls && !copied && !cancellation.isCancelled(); ++poll) {
        co_await QCoro::sleepFor(kCopyPollInterval);
        if (ownClipboard())
            continue;
        if (std::optional<QString> now = selection.text(Selection::clipboard); now != before)
            copied = std::move(now);
    }
    // Once the copy has replaced the learner's clipboard, it goes back.
    if (copied)
        *fallback.keeper = WaylandClipboardKeeper::take(selection.display(), std::move(*former));
    cancellation.throwIfCancelled();
    co_return copied;
}
