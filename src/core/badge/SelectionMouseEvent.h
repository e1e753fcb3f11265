#pragma once

#include <QPointF>

// One left-button event seen anywhere on the desktop.
struct SelectionMouseEvent {
    enum class Kind { leftMouseDown, leftMouseDragged, leftMouseUp };

    Kind kind = Kind::leftMouseDown;
    // The pointer in desktop coordinates when the event happened.
    QPointF location;
    // 1 for a single click, 2 and 3 for double and triple clicks; repeated on the release.
    int clickCount = 1;
};
