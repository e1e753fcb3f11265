#pragma once

#include <QUrl>

// Shows a file in the desktop's file manager: selected in its folder through
// org.freedesktop.FileManager1 ShowItems when a file manager offers that on the session bus,
// else the folder opened with the desktop's default handler.
class FileManagerReveal {
public:
    FileManagerReveal() = delete;

    // False when neither way worked.
    static bool reveal(const QUrl &file);
};
