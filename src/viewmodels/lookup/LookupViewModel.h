#pragma once

#include "lookup/FastLookupResult.h"
#include "collection/LearningItemType.h"
#include "lookup/LookupResult.h"
#include "preferences/UserSettings.h"
#include "foundation/CancellationToken.h"

#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <exception>
#include <memory>
#include <optional>

class AIClient;
class APIKeyStoring;
class LookupResultCaching;
class SelectedTextCapturing;
class SystemDictionaryLookingUp;

// The state machine behind the lookup panel: captures or takes a text, answers it from the
// cache, the AI service (a quick answer first, then the full one) or the offline dictionary.
// Main thread only. Every lookup takes a new generation; whatever arrives for an older one
// is dropped, so overlapping lookups never show or cache a stale answer.
class LookupViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(LookupViewModel::State state READ state NOTIFY stateChanged)

public:
    class State {
    public:
        enum class Kind { idle, capturingText, loadingExplanation, loadingDetailedExplanation, readyForAILookup,
                          loaded, failed };

        State() = default;
        static State idle() { return State(Kind::idle); }
        static State capturingText() { return State(Kind::capturingText); }
        // `offlineGlance`: the dictionary's Chinese glosses and pronunciations for a single
        // word, shown until the AI's first answer replaces them.
        static State loadingExplanation(QString selectedText, std::optional<LookupResult> offlineGlance = std::nullopt);
        static State loadingDetailedExplanation(FastLookupResult fastResult);
        static State readyForAILookup(QString selectedText, QString message);
        static State loaded(LookupResult result);
        static State failed(QString message, std::optional<QString> selectedText = std::nullopt);

        Kind kind() const { return m_kind; }
        // The text of loadingExplanation and readyForAILookup; of failed when it was known.
        const std::optional<QString> &selectedText() const { return m_selectedText; }
        // The user-facing text of readyForAILookup and failed; empty otherwise.
        const QString &message() const { return m_message; }
        // Set exactly in loadingDetailedExplanation.
        const std::optional<FastLookupResult> &fastResult() const { return m_fastResult; }
        // Set exactly in loaded.
        const std::optional<LookupResult> &result() const { return m_result; }
        // Only in loadingExplanation, when the dictionary knows the word's Chinese glosses.
        const std::optional<LookupResult> &offlineGlance() const { return m_offlineGlance; }

        bool operator==(const State &) const = default;

    private:
        explicit State(Kind kind) : m_kind(kind) {}

        Kind m_kind = Kind::idle;
        std::optional<QString> m_selectedText;
        QString m_message;
        std::optional<FastLookupResult> m_fastResult;
        std::optional<LookupResult> m_result;
        std::optional<LookupResult> m_offlineGlance;
    };

    static inline const QString systemDictionaryMissMessage =
        QStringLiteral("系统词典没有找到释义。点击 AI 查词获取解释。");

    // The services are shared with the panel that owns this view model; pending work keeps
    // its own reference, so it may outlive the view model. None may be null.
    LookupViewModel(std::shared_ptr<SelectedTextCapturing> selectionCaptureService, std::shared_ptr<AIClient> aiClient,
                    std::shared_ptr<APIKeyStoring> apiKeyStore, std::shared_ptr<LookupResultCaching> resultCache,
                    std::shared_ptr<SystemDictionaryLookingUp> systemDictionaryClient, QObject *parent = nullptr);
    // Cancels every pending request; nothing it delivers later reaches a state.
    ~LookupViewModel() override;

    const State &state() const { return m_state; }

    // Captures the selection, then looks it up with the AI.
    QCoro::Task<void> lookupFromSelection(UserSettings settings);
    // Looks a text up with the AI: one captured elsewhere or typed by the learner, the switch
    // from the dictionary, and retries.
    QCoro::Task<void> lookupWithAI(QString selectedText, UserSettings settings);
    // Looks a text up in the offline dictionary; no AI call, nothing cached.
    QCoro::Task<void> lookupWithSystemDictionary(QString selectedText, UserSettings settings);
    // Repeats the failed AI lookup of a known text, or else captures the selection again.
    QCoro::Task<void> retry(UserSettings settings);

    // Shows a failure found outside the view model (the shell's own capture failed); it
    // supersedes any pending lookup.
    void showFailure(QString message, std::optional<QString> selectedText = std::nullopt);
    // Cancels the current lookup's requests (the panel is closing); it then ends in idle.
    void cancel();

    // word, phrase or sentence for the trimmed text: any punctuation makes a sentence, then
    // 7 or more words a sentence, 2 to 6 a phrase, fewer a word.
    static LearningItemType detectItemType(const QString &text);

    // The text shown for a failure: an AppError's own message, a key-store status, another
    // exception's description, or a generic sentence for anything else.
    static QString localizedMessage(std::exception_ptr error);

    // The result that shows a dictionary entry for the text.
    static LookupResult dictionaryResult(const QString &selectedText, QString entry);

signals:
    void stateChanged();

private:
    // One numbered lookup: its generation and the token that cancels its requests.
    struct Lookup {
        quint64 generation = 0;
        CancellationToken cancellation;
    };

    Lookup beginLookup();
    bool isCurrentLookup(quint64 generation) const { return generation == m_lookupGeneration; }
    void setState(State state);
    // Sets `state` only while the lookup is still the newest.
    void setStateIfCurrent(quint64 generation, State state);

    QCoro::Task<void> lookupWithAI(QString validatedSelectedText, LearningItemType itemType, UserSettings settings,
                                   Lookup lookup);
    QCoro::Task<void> updateWithFastLookupResult(QCoro::Task<FastLookupResult> fastLookup, QString selectedText,
                                                 quint64 generation);
    // The settings themselves when they carry a key, else a copy with the stored key.
    static QCoro::Task<UserSettings> settingsWithLoadedAPIKey(UserSettings settings,
                                                              std::shared_ptr<APIKeyStoring> apiKeyStore);

    static LookupResult normalized(LookupResult result, const QString &selectedText, LearningItemType itemType);
    static FastLookupResult normalized(FastLookupResult result, const QString &selectedText);

    std::shared_ptr<SelectedTextCapturing> m_selectionCaptureService;
    std::shared_ptr<AIClient> m_aiClient;
    std::shared_ptr<APIKeyStoring> m_apiKeyStore;
    std::shared_ptr<LookupResultCaching> m_resultCache;
    std::shared_ptr<SystemDictionaryLookingUp> m_systemDictionaryClient;

    quint64 m_lookupGeneration = 0;
    // The newest lookup's token, for cancel().
    CancellationToken m_currentCancellation;
    // Fires when the view model goes away; every lookup's tokens are chained to it.
    CancellationToken m_lifetime;
    State m_state;
};
