#pragma once

#include "views/common/PanelColors.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QTextBrowser>
#include <QTimer>

#include <chrono>

#include <functional>
#include <optional>

class QToolButton;

// A read-only block of text that can be selected, as tall as its text at the width it is
// given (laid out once per width change, never while painting), with its own lookup badge:
// 120 ms after a mouse-up or a selection change, when the badge is enabled and the selection
// holds a Latin letter, a 34 × 34 magnifier appears 10 px right of and 8 px below the end of
// the selection, kept inside the view; a click hands the selected text on.
class DailyRecommendationTextView : public QTextBrowser {
    Q_OBJECT

public:
    static constexpr int kBadgeExtent = 34;
    static constexpr std::chrono::milliseconds kBadgeDelay{120};

    explicit DailyRecommendationTextView(QWidget *parent = nullptr);

    // Replaces the whole text; `lineSpacing` pixels go between lines.
    void setContent(const QString &text, const QFont &font, PanelColors::Role role, qreal lineSpacing);
    // Asked each time a badge might be shown; unset: never.
    void setSelectionBadgeEnabled(std::function<bool()> isEnabled) { m_isSelectionBadgeEnabled = std::move(isEnabled); }
    void setLookupRequested(std::function<void(const QString &)> onLookup) { m_onLookupRequested = std::move(onLookup); }
    // Where the badge is drawn, so that it may reach beyond a short view; by default the view.
    void setBadgeHost(QWidget *host) { m_badgeHost = host; }

    // The selection without surrounding whitespace; none when that is empty.
    std::optional<QString> selectedText() const;
    // The badge once it was needed (hidden or shown); null before.
    QToolButton *selectionBadgeButton() const;
    // The badge's action: hands the text it was shown for on and hides it.
    void lookupSelectedText();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void scheduleSelectionBadgeUpdate();
    void updateSelectionBadge();
    void hideSelectionBadge();
    // The bottom right corner of the selection's last character, in the view's coordinates.
    QPointF selectionEndPoint() const;
    void updateHeight();

    std::function<bool()> m_isSelectionBadgeEnabled;
    std::function<void(const QString &)> m_onLookupRequested;
    std::optional<QString> m_selectedTextForLookup;
    QPointer<QWidget> m_badgeHost;
    QPointer<QToolButton> m_badgeButton;
    QTimer m_badgeTimer;
};
