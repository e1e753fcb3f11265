#include "platform/x11/X11SelectionPasteboard.h"

#include "platform/x11/X11Connection.h"
#include "capture/SelectionPasteboardRestorer.h"
#include "foundation/AppError.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

X11SelectionPasteboard::X11SelectionPasteboard()
    : m_clipboard(QGuiApplication::clipboard()), m_x11(std::make_unique<X11Connection>())
{
    m_changedConnection = QObject::connect(m_clipboard, &QClipboard::changed, [this](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard)
            ++m_changeCount;
    });
}

X11SelectionPasteboard::~X11SelectionPasteboard() { QObject::disconnect(m_changedConnection); }

std::optional<QString> X11SelectionPasteboard::stringValue() const
{
    const QMimeData *data = m_clipboard->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}

bool X11SelectionPasteboard::isClipboardOwnedByQt() const
{
    const auto *x11Application = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11Application || !m_x11->isValid())
        return false;
    // Window ids carry the id base of the client that created them.
    const xcb_setup_t *setup = xcb_get_setup(x11Application->connection());
    const quint32 owner = m_x11->selectionOwner("CLIPBOARD");
    return owner != 0 && (owner & ~setup->resource_id_mask) == setup->resource_id_base;
}

SelectionPasteboardSnapshot X11SelectionPasteboard::snapshot()
{
    // Another client may have taken the clipboard a moment ago, before Qt heard of it: Qt would
    // hand out our stale contents, and clearing would take the clipboard from its new owner.
    if (m_clipboard->ownsClipboard() && !isClipboardOwnedByQt())
        throw AppError::clipboardSnapshotFailed();
    const QMimeData *data = m_clipboard->mimeData(QClipboard::Clipboard);
    if (!data)
        return {};
    SelectionPasteboardItemSnapshot item;
    const QStringList formats = data->formats();
    for (const QString &format : formats) {
        if (!isSnapshotFormat(format))
            continue;
        // A conversion the owner refuses or lets time out arrives as empty bytes, the same as
        // empty content; refusing the capture is the side that never loses data.
        const QByteArray bytes = data->data(format);
        if (bytes.isEmpty())
            throw AppError::clipboardSnapshotFailed();
        item.setData(format, bytes);
    }
    if (item.contentsByType.isEmpty())
        return {};
    return SelectionPasteboardSnapshot{{item}};
}

qint64 X11SelectionPasteboard::clearContents()
{
    clear();
    return m_changeCount;
}

void X11SelectionPasteboard::clear()
{
    // We keep the clipboard, with nothing in it, rather than give it up: Qt reports giving it up
    // twice, at once and again when the server's notice arrives, and the second report would
    // pass for the copy the capture waits for.
    m_clipboard->setMimeData(new QMimeData, QClipboard::Clipboard);
}

void X11SelectionPasteboard::restore(const SelectionPasteboardSnapshot &snapshot)
{
    SelectionPasteboardRestorer::restore(snapshot, *this);
}

bool X11SelectionPasteboard::replaceContents(std::vector<std::unique_ptr<QMimeData>> items)
{
    if (items.size() > 1)
        return false;
    if (items.empty()) {
        clear();
        return true;
    }
    m_clipboard->setMimeData(items.front().release(), QClipboard::Clipboard);
    // Qt keeps the data even when the server refused the ownership; ask the server.
    return isClipboardOwnedByQt();
}

bool X11SelectionPasteboard::isSnapshotFormat(const QString &format)
{
    static const QStringList pseudoTargets{
        QStringLiteral("TARGETS"),      QStringLiteral("MULTIPLE"), QStringLiteral("TIMESTAMP"),
        QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE"),   QStringLiteral("INCR"),
    };
    return !format.isEmpty() && !pseudoTargets.contains(format)
        && !format.startsWith(QLatin1String("application/x-qt-"));
}
