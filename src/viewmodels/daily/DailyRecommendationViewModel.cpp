#include "viewmodels/daily/DailyRecommendationViewModel.h"

#include "daily/DailyRecommendationCaching.h"
#include "daily/DailyRecommendationGenerating.h"
#include "foundation/CancellationError.h"
#include "preferences/AppPreferencesStoring.h"
#include "viewmodels/daily/DailyRecommendationDateFormat.h"
#include "viewmodels/lookup/LookupViewModel.h"

#include <QPointer>

#include <algorithm>

DailyRecommendationViewModel::State DailyRecommendationViewModel::State::loading()
{
    State state;
    state.m_kind = Kind::loading;
    return state;
}

DailyRecommendationViewModel::State DailyRecommendationViewModel::State::loaded(DailyRecommendation recommendation)
{
    State state;
    state.m_kind = Kind::loaded;
    state.m_recommendation = std::move(recommendation);
    return state;
}

DailyRecommendationViewModel::State DailyRecommendationViewModel::State::failed(QString message)
{
    State state;
    state.m_kind = Kind::failed;
    state.m_message = std::move(message);
    return state;
}

DailyRecommendationViewModel::DailyRecommendationViewModel(Collaborators collaborators, QObject *parent)
    : QObject(parent), m_collaborators(std::move(collaborators))
{
    Q_ASSERT(m_collaborators.generator && m_collaborators.cache);
    if (!m_collaborators.now)
        m_collaborators.now = [] { return QDateTime::currentDateTimeUtc(); };
    if (!m_collaborators.loadSettings)
        m_collaborators.loadSettings = [&preferences = m_collaborators.preferences] {
            return preferences.currentUserSettings();
        };
}

DailyRecommendationViewModel::~DailyRecommendationViewModel()
{
    // A cancelled request may report back at once, while this object is half gone.
    m_destroying = true;
    m_cancellation.cancel();
}

RecommendationDifficulty DailyRecommendationViewModel::difficulty() const
{
    if (m_collaborators.difficulty)
        return *m_collaborators.difficulty;
    return recommendationDifficultyFromPreference(m_collaborators.preferences.dailyRecommendationDifficulty());
}

std::optional<DailyRecommendationHistoryItem> DailyRecommendationViewModel::displayedHistoryItem() const
{
    if (!m_selectedHistoryID)
        return std::nullopt;
    const auto found = std::find_if(m_history.cbegin(), m_history.cend(),
                                    [&](const auto &item) { return item.id == *m_selectedHistoryID; });
    if (found == m_history.cend())
        return std::nullopt;
    return *found;
}

bool DailyRecommendationViewModel::canRefreshDisplayedRecommendation() const
{
    return m_selectedHistoryID && m_selectedHistoryID == m_currentHistoryID;
}

QList<DailyRecommendationHistoryDay> DailyRecommendationViewModel::historyDays() const
{
    return DailyRecommendationHistoryDay::grouped(m_history, m_collaborators.timeZone);
}

QString DailyRecommendationViewModel::recommendationSubtitle() const
{
    if (const std::optional<DailyRecommendationHistoryItem> item = displayedHistoryItem()) {
        const QDate day = item->date.toTimeZone(m_collaborators.timeZone).date();
        return DailyRecommendationDateFormat::fullDate(day) + QStringLiteral(" · ") + title(item->difficulty);
    }
    return QStringLiteral("今日推荐 · ") + title(difficulty());
}

QCoro::Task<void> DailyRecommendationViewModel::load(bool forceRefresh)
{
    const QPointer<DailyRecommendationViewModel> self(this);
    const QDateTime date = m_collaborators.now();
    const RecommendationDifficulty level = difficulty();
    refreshHistory(date);
    if (!forceRefresh) {
        if (std::optional<DailyRecommendation> cached = m_collaborators.cache->recommendation(date, level)) {
            refreshHistory(date);
            selectCurrentRecommendation(*cached, date, level);
            setState(State::loaded(std::move(*cached)));
            co_return;
        }
    }
    setState(State::loading());

    // Kept by the request itself: the view model may go away while it runs.
    const std::shared_ptr<DailyRecommendationGenerating> generator = m_collaborators.generator;
    const std::shared_ptr<DailyRecommendationCaching> cache = m_collaborators.cache;
    // A loader that is itself a coroutine keeps its captures in the function object.
    const SettingsLoader loadSettings = m_collaborators.loadSettings;
    const CancellationToken cancellation;
    const CancellationToken::Registration link = m_cancellation.onCancel([cancellation] { cancellation.cancel(); });
    std::optional<DailyRecommendation> generated;
    std::exception_ptr failure;
    try {
        UserSettings settings = co_await loadSettings();
        cancellation.throwIfCancelled();
        generated = co_await generator->generate(level, std::move(settings), cancellation);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self || self->m_destroying)
        co_return;
    if (!generated) {
        self->setState(isCancellation(failure) ? State::idle()
                                               : State::failed(LookupViewModel::localizedMessage(failure)));
        co_return;
    }
    cache->store(*generated, date, level);
    self->refreshHistory(date);
    self->selectCurrentRecommendation(*generated, date, level);
    self->setState(State::loaded(std::move(*generated)));
}

void DailyRecommendationViewModel::selectHistory(const std::optional<QString> &id)
{
    if (!id)
        return;
    const auto found =
        std::find_if(m_history.cbegin(), m_history.cend(), [&](const auto &item) { return item.id == *id; });
    if (found == m_history.cend())
        return;
    const DailyRecommendation recommendation = found->recommendation;
    setSelection(id, m_currentHistoryID);
    setState(State::loaded(recommendation));
}

void DailyRecommendationViewModel::refreshHistory() { refreshHistory(m_collaborators.now()); }

void DailyRecommendationViewModel::cancel()
{
    m_cancellation.cancel();
    m_cancellation = CancellationToken();
}

void DailyRecommendationViewModel::refreshHistory(const QDateTime &date)
{
    QList<DailyRecommendationHistoryItem> history = m_collaborators.cache->recentRecommendations(date, historyDayCount);
    if (history == m_history)
        return;
    m_history = std::move(history);
    emit historyChanged();
}

void DailyRecommendationViewModel::selectCurrentRecommendation(const DailyRecommendation &recommendation,
                                                               const QDateTime &date,
                                                               RecommendationDifficulty difficulty)
{
    const QTimeZone &zone = m_collaborators.timeZone;
    const QDate day = date.toTimeZone(zone).date();
    const auto found = std::find_if(m_history.cbegin(), m_history.cend(), [&](const auto &item) {
        return item.date.toTimeZone(zone).date() == day && item.difficulty == difficulty
               && item.recommendation == recommendation;
    });
    const std::optional<QString> id = found == m_history.cend() ? std::nullopt : std::optional<QString>(found->id);
    setSelection(id, id);
}

void DailyRecommendationViewModel::setState(State state)
{
    if (state == m_state)
        return;
    m_state = std::move(state);
    emit stateChanged();
}

void DailyRecommendationViewModel::setSelection(std::optional<QString> selected, std::optional<QString> current)
{
    if (selected == m_selectedHistoryID && current == m_currentHistoryID)
        return;
    m_selectedHistoryID = std::move(selected);
    m_currentHistoryID = std::move(current);
    emit selectionChanged();
}
