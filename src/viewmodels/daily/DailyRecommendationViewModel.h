#pragma once

#include "daily/DailyRecommendation.h"
#include "daily/DailyRecommendationHistoryDay.h"
#include "daily/DailyRecommendationHistoryItem.h"
#include "daily/RecommendationDifficulty.h"
#include "foundation/CancellationToken.h"
#include "preferences/UserSettings.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimeZone>

#include <QCoro/QCoroTask>

#include <functional>
#include <memory>
#include <optional>

class AppPreferencesStoring;
class DailyRecommendationCaching;
class DailyRecommendationGenerating;

// The daily reader: today's article at the configured difficulty, from the cache when it has
// one, else newly written; the history of the last seven days; which history item is shown
// and whether it is today's current one (which alone may be regenerated). Main thread only.
// Loads are not serialised: of two overlapping ones the later to finish sets the state.
class DailyRecommendationViewModel : public QObject {
    Q_OBJECT

public:
    class State {
    public:
        enum class Kind { idle, loading, loaded, failed };

        State() = default;
        static State idle() { return State(); }
        static State loading();
        static State loaded(DailyRecommendation recommendation);
        static State failed(QString message);

        Kind kind() const { return m_kind; }
        // Set exactly in loaded.
        const std::optional<DailyRecommendation> &recommendation() const { return m_recommendation; }
        // The text shown in failed; empty otherwise.
        const QString &message() const { return m_message; }

        bool operator==(const State &) const = default;

    private:
        Kind m_kind = Kind::idle;
        std::optional<DailyRecommendation> m_recommendation;
        QString m_message;
    };

    using Clock = std::function<QDateTime()>;
    using SettingsLoader = std::function<QCoro::Task<UserSettings>()>;

    struct Collaborators {
        // Outlives the view model.
        AppPreferencesStoring &preferences;
        std::shared_ptr<DailyRecommendationGenerating> generator;
        std::shared_ptr<DailyRecommendationCaching> cache;
        // Read once per load; empty: the current time.
        Clock now = {};
        // Whose calendar days count; the cache's.
        QTimeZone timeZone = QTimeZone::systemTimeZone();
        // The settings with the AI key; empty: the preferences' own snapshot.
        SettingsLoader loadSettings = {};
        // Used instead of the configured difficulty.
        std::optional<RecommendationDifficulty> difficulty = {};
    };

    static constexpr int historyDayCount = 7;

    explicit DailyRecommendationViewModel(Collaborators collaborators, QObject *parent = nullptr);
    // Cancels a pending generation; it changes nothing afterwards.
    ~DailyRecommendationViewModel() override;

    const State &state() const { return m_state; }
    const QList<DailyRecommendationHistoryItem> &history() const { return m_history; }
    const std::optional<QString> &selectedHistoryID() const { return m_selectedHistoryID; }
    // The configured difficulty (unknown: intermediate), unless one was given.
    RecommendationDifficulty difficulty() const;
    std::optional<DailyRecommendationHistoryItem> displayedHistoryItem() const;
    // True while the article shown is today's current one.
    bool canRefreshDisplayedRecommendation() const;
    QList<DailyRecommendationHistoryDay> historyDays() const;
    // The shown item's date and difficulty, or "今日推荐 · " and the configured difficulty.
    QString recommendationSubtitle() const;
    const QTimeZone &timeZone() const { return m_collaborators.timeZone; }

    // Shows today's article: the cached one unless `forceRefresh`, else a new one, which is
    // cached and added to the history. Never throws; the outcome is in state().
    QCoro::Task<void> load(bool forceRefresh);
    // Shows the history item with this id; nothing happens for none or an unknown id.
    void selectHistory(const std::optional<QString> &id);
    // Reads the history of the seven days up to now.
    void refreshHistory();
    // Cancels the generation under way; the state then goes back to idle.
    void cancel();

signals:
    void stateChanged();
    void historyChanged();
    void selectionChanged();

private:
    void refreshHistory(const QDateTime &date);
    void selectCurrentRecommendation(const DailyRecommendation &recommendation, const QDateTime &date,
                                     RecommendationDifficulty difficulty);
    void setState(State state);
    void setSelection(std::optional<QString> selected, std::optional<QString> current);

    Collaborators m_collaborators;
    State m_state;
    QList<DailyRecommendationHistoryItem> m_history;
    std::optional<QString> m_selectedHistoryID;
    std::optional<QString> m_currentHistoryID;
    // Fires on cancel() and on destruction; each generation's token is chained to it.
    CancellationToken m_cancellation;
    bool m_destroying = false;
};
