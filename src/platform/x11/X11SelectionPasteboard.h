#pragma once

#include "capture/SelectionPasteboard.h"
#include "capture/SelectionPasteboardSnapshotReplacing.h"

#include <QMetaObject>

#include <memory>

class QClipboard;
class X11Connection;

// The CLIPBOARD selection through Qt's clipboard. X11 has no change count, so this keeps its
// own, bumped on every change Qt reports; Qt reports other clients' changes through the event
// loop, which the capture's polling sleeps keep running. X11 holds a single item per selection.
class X11SelectionPasteboard : public SelectionPasteboard, public SelectionPasteboardSnapshotReplacing {
public:
    // Needs a QGuiApplication on the xcb platform.
    X11SelectionPasteboard();
    ~X11SelectionPasteboard() override;
    X11SelectionPasteboard(const X11SelectionPasteboard &) = delete;
    X11SelectionPasteboard &operator=(const X11SelectionPasteboard &) = delete;

    qint64 changeCount() const override { return m_changeCount; }
    std::optional<QString> stringValue() const override;
    // Reads every real format of the current owner. Throws AppError::clipboardSnapshotFailed when
    // the owner delivers nothing for a format it offers.
    SelectionPasteboardSnapshot snapshot() override;
    qint64 clearContents() override;
    void restore(const SelectionPasteboardSnapshot &snapshot) override;
    // Takes ownership of CLIPBOARD with the single item. More than one item cannot be held by an
    // X selection and fails without touching the clipboard.
    bool replaceContents(std::vector<std::unique_ptr<QMimeData>> items) override;

    // False for the X11 pseudo-targets and Qt's own synthesised formats, which describe the
    // selection rather than hold data, and which the new owner offers anyway.
    static bool isSnapshotFormat(const QString &format);

private:
    void clear();
    bool isClipboardOwnedByQt() const;

    QClipboard *m_clipboard;
    std::unique_ptr<X11Connection> m_x11;
    QMetaObject::Connection m_changedConnection;
    qint64 m_changeCount = 0;
};
