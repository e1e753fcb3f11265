#include "platform/wayland/WaylandSelectionCapture.h"

#include "foundation/AppError.h"

WaylandSelectionCapture::WaylandSelectionCapture(WaylandDataControlSelection selection) : m_selection(std::move(selection)) {}

QCoro::Task<QString> WaylandSelectionCapture::captureSelectedTextUsingClipboardFallback(CancellationToken cancellation)
{
    cancellation.throwIfCancelled();
    const QString text = m_selection.text(WaylandDataControlSelection::Selection::primary).value_or(QString()).trimmed();
    if (text.isEmpty())
        throw AppError::selectedTextUnreadableHere(
            QStringLiteral("没有读到选中的文字。请先用鼠标或键盘选中英文，再按快捷键；"
                           "在此桌面上 Rarozezev 不会替你按 Ctrl+C，剪贴板保持不变。"));
    co_return text;
}
