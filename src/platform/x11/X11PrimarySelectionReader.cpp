#include "platform/x11/X11PrimarySelectionReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

std::optional<QString> X11PrimarySelectionReader::selectedText()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        return std::nullopt;
    const QMimeData *data = clipboard->mimeData(QClipboard::Selection);
    if (!data || !data->hasText())
        return std::nullopt;
    return data->text();
}
