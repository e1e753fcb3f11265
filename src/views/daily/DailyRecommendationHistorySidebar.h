#pragma once

#include "daily/DailyRecommendationHistoryDay.h"

#include <QList>
#include <QString>
#include <QTimeZone>
#include <QWidget>

#include <optional>

class QPushButton;
class QStackedWidget;
class QVBoxLayout;
class ContentUnavailableView;

// "最近七日": the history by day, newest first, one row per article (title, the time it was
// stored and its difficulty); the row shown in the detail pane is highlighted. Without
// history a placeholder says where the articles will appear.
class DailyRecommendationHistorySidebar : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 230;

    explicit DailyRecommendationHistorySidebar(QWidget *parent = nullptr);

    void setHistory(const QList<DailyRecommendationHistoryDay> &days, const QTimeZone &timeZone);
    void setSelectedID(const std::optional<QString> &id);

    ContentUnavailableView *emptyPlaceholder() const { return m_emptyPlaceholder; }
    // One per item, in the order listed; each carries its item's id as the property "historyID".
    const QList<QPushButton *> &rows() const { return m_rows; }

signals:
    void historySelected(const QString &id);

private:
    QPushButton *makeRow(const DailyRecommendationHistoryItem &item, const QTimeZone &timeZone, QWidget *parent);

    QStackedWidget *m_pages;
    ContentUnavailableView *m_emptyPlaceholder;
    QWidget *m_list = nullptr;
    QVBoxLayout *m_listLayout = nullptr;
    QList<QPushButton *> m_rows;
    std::optional<QString> m_selectedID;
};
