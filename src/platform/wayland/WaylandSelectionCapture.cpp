#include "platform/wayland/WaylandSelectionCapture.h"

#include "foundation/AppError.h"

WaylandSelectionCapture::WaylandSelectionCapture(std::optional<WaylandDataControlSelection> selection)
    : m_selection(std::move(selection))
{
}

QCoro::Task<QString> WaylandSelectionCapture::captureSelectedTextUsingClipboardFallback(CancellationToken cancellation)
{
    cancellation.throwIfCancelled();
    if (!m_selection)
        throw AppError::selectedTextUnreadableHere(
            QStringLiteral("此桌面不允许程序读取其他程序中选中的文字。请把英文粘贴到查词窗口，"
                           "或在终端中运行 rarozezev lookup \"英文\"；也可以改用 X11 会话。"));
    const QString text = m_selection->text(WaylandDataControlSelection::Selection::primary).value_or(QString()).trimmed();
    if (text.isEmpty())
        throw AppError::selectedTextUnreadableHere(
            QStringLiteral("没有读到选中的文字。请先用鼠标或键盘选中英文，再按快捷键；"
                           "在此桌面上 Rarozezev 不会替你按 Ctrl+C，剪贴板保持不变。"));
    co_return text;
}
