#pragma once

#include "foundation/CancellationToken.h"
#include "preferences/UserSettings.h"

#include "viewmodels/common/KindWithMessage.h"

#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <memory>

class APIKeyStoring;
class AudioPlaying;
class SystemSpeechClient;
class TextToSpeechClient;

// Pronounces a text for the lookup panel and the speak command: a single English word with
// the desktop's voice in the chosen accent, anything else through the configured speech
// service, whose audio is then played. Main thread only. Every play takes a new generation;
// results and failures of an older one are dropped, so only the newest request changes the
// state or starts audio.
class PronunciationPlaybackController : public QObject {
    Q_OBJECT

public:
    enum class StateKind { idle, loading, playing, failed };
    class State : public KindWithMessage<StateKind> {
    public:
        State() = default;
        static State idle() { return State(Kind::idle); }
        static State loading() { return State(Kind::loading); }
        static State playing() { return State(Kind::playing); }
        static State failed(QString message) { return State(Kind::failed, std::move(message)); }

        bool operator==(const State &) const = default;

    private:
        using KindWithMessage::KindWithMessage;
    };

    struct ButtonAppearance {
        QString symbolName;
        QString tooltip;

        bool operator==(const ButtonAppearance &) const = default;
    };

    struct Services {
        std::shared_ptr<TextToSpeechClient> textToSpeechClient;           // provider "openai"
        std::shared_ptr<TextToSpeechClient> compatibleTextToSpeechClient; // the other HTTP providers
        std::shared_ptr<APIKeyStoring> apiKeyStore;                       // the speech key
        std::shared_ptr<SystemSpeechClient> systemSpeechClient;
        std::shared_ptr<AudioPlaying> audioPlayer; // plays the services' audio
    };

    // None of the services may be null.
    explicit PronunciationPlaybackController(Services services, QObject *parent = nullptr);
    // Stops whatever it is saying or playing.
    ~PronunciationPlaybackController() override;

    const State &state() const { return m_state; }
    // The button is disabled while audio is being prepared.
    bool isPlaybackDisabled() const { return m_state.kind() == State::Kind::loading; }
    ButtonAppearance buttonAppearance() const { return buttonAppearance(m_state); }
    static ButtonAppearance buttonAppearance(const State &state);

    // Never throws: every outcome ends in `state`. Resolves when the sound has ended (or the
    // request failed or was superseded). The settings may come without the speech key; it is
    // then read from the key store.
    QCoro::Task<void> play(QString text, UserSettings settings);
    // Drops the pending request and stops the sound; the state becomes idle.
    void stop();

    // ASCII letters, with single inner hyphens or apostrophes ("don't", "well-known").
    static bool isSingleEnglishWord(const QString &text);
    static bool shouldUseSystemSpeech(const QString &text, const UserSettings &settings);

signals:
    void stateChanged();

private:
    bool isCurrent(qint64 generation) const { return generation == m_playbackGeneration; }
    void setState(State state);
    void cancelAll();

    Services m_services;
    qint64 m_playbackGeneration = 0;
    State m_state;
    // The newest request's download, the system voice and the service audio on its way out.
    // A new request cancels only the download: the older sound ends when newer sound replaces it.
    CancellationToken m_requestCancellation;
    CancellationToken m_speechCancellation;
    CancellationToken m_playerCancellation;
};
