#include "viewmodels/pronunciation/PronunciationPlaybackController.h"

#include "foundation/AppError.h"
#include "foundation/CancellationError.h"
#include "preferences/APIKeyStoring.h"
#include "speech/AudioPlaying.h"
#include "speech/SystemSpeechClient.h"
#include "speech/TextToSpeechClient.h"
#include "viewmodels/lookup/LookupViewModel.h"

#include <QPointer>
#include <QRegularExpression>

PronunciationPlaybackController::PronunciationPlaybackController(Services services, QObject *parent)
    : QObject(parent), m_services(std::move(services))
{
}

PronunciationPlaybackController::~PronunciationPlaybackController()
{
    // Cancelled requests report back synchronously; a newer generation makes them stale first.
    ++m_playbackGeneration;
    cancelAll();
}

PronunciationPlaybackController::ButtonAppearance PronunciationPlaybackController::buttonAppearance(const State &state)
{
    switch (state.kind()) {
    case State::Kind::loading:
        return {QStringLiteral("clock"), QStringLiteral("正在生成发音")};
    case State::Kind::playing:
        return {QStringLiteral("speaker.wave.2.fill"), QStringLiteral("正在播放发音")};
    case State::Kind::idle:
    case State::Kind::failed:
        break;
    }
    return {QStringLiteral("speaker.wave.2"), QStringLiteral("播放发音")};
}

QCoro::Task<void> PronunciationPlaybackController::play(QString text, UserSettings settings)
{
    const QPointer<PronunciationPlaybackController> self(this);
    const qint64 generation = ++m_playbackGeneration;
    const auto current = [&] { return self && isCurrent(generation); };
    m_requestCancellation.cancel();
    m_requestCancellation = CancellationToken();
    const CancellationToken requestCancellation = m_requestCancellation;
    // Kept by the task: the panel may close while it waits.
    const Services services = m_services;
    setState(State::loading());

    std::exception_ptr failure;
    try {
        if (shouldUseSystemSpeech(text, settings)) {
            setState(State::playing());
            co_await services.systemSpeechClient->speak(text, settings.systemPronunciationAccent,
                                                        m_speechCancellation);
            if (current())
                setState(State::idle());
            co_return;
        }

        TextToSpeechClient *client = nullptr;
        const QString &provider = settings.ttsProvider;
        if (provider == u"system")
            throw AppError::textToSpeechFailed(
                QStringLiteral("系统朗读仅用于单词发音；词组和短句请配置 OpenAI 或阿里云百炼 TTS。"));
        if (provider == u"openai")
            client = services.textToSpeechClient.get();
        else if (provider == u"openAICompatible" || provider == u"dashScopeQwen" || provider == u"dashScopeCosyVoice")
            client = services.compatibleTextToSpeechClient.get();
        else
            throw AppError::textToSpeechFailed(QStringLiteral("当前版本支持 OpenAI、阿里云百炼 Qwen-TTS 和系统朗读。"));

        if (settings.ttsAPIKey.isEmpty()) {
            QString key = co_await services.apiKeyStore->loadAPIKey();
            if (!current())
                co_return;
            settings.id = QUuid::createUuid();
            settings.ttsAPIKey = std::move(key);
        }
        QByteArray audio = co_await client->speechAudio(text, settings, requestCancellation);
        if (!current())
            co_return;
        // The new player replaces the old one, which stops sounding.
        m_playerCancellation.cancel();
        m_playerCancellation = CancellationToken();
        setState(State::playing());
        co_await services.audioPlayer->play(std::move(audio), m_playerCancellation);
        // Only the newest request may leave `playing`, and only once its sound has ended.
        if (current())
            setState(State::idle());
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure && current())
        setState(isCancellation(failure) ? State::idle() : State::failed(LookupViewModel::localizedMessage(failure)));
}

void PronunciationPlaybackController::stop()
{
    ++m_playbackGeneration;
    cancelAll();
    setState(State::idle());
}

void PronunciationPlaybackController::cancelAll()
{
    for (CancellationToken *token : {&m_requestCancellation, &m_speechCancellation, &m_playerCancellation}) {
        token->cancel();
        *token = CancellationToken();
    }
}

void PronunciationPlaybackController::setState(State state)
{
    if (state == m_state)
        return;
    m_state = std::move(state);
    emit stateChanged();
}

bool PronunciationPlaybackController::isSingleEnglishWord(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("^[A-Za-z]+(?:[-'][A-Za-z]+)*$"));
    const QString trimmed = text.trimmed();
    return !trimmed.isEmpty() && word.match(trimmed).hasMatch();
}

bool PronunciationPlaybackController::shouldUseSystemSpeech(const QString &text, const UserSettings &settings)
{
    return settings.ttsProvider == u"system" || isSingleEnglishWord(text);
}
