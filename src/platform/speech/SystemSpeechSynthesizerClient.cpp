#include "platform/speech/SystemSpeechSynthesizerClient.h"

#include "foundation/AppError.h"
#include "platform/audio/QAudioSinkPCMPlayer.h"
#include "platform/speech/EspeakNgSpeechSynthesizer.h"

SystemSpeechSynthesizerClient::~SystemSpeechSynthesizerClient()
{
    m_currentUtterance.cancel();
}

QCoro::Task<void> SystemSpeechSynthesizerClient::speak(QString text, QString accent, CancellationToken cancellation)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        throw AppError::textToSpeechFailed(QStringLiteral("没有可朗读的文本。"));
    m_currentUtterance.cancel();
    m_currentUtterance = CancellationToken();
    const CancellationToken utterance = m_currentUtterance;
    const CancellationToken::Registration forward = cancellation.onCancel([utterance] { utterance.cancel(); });
    co_await QAudioSinkPCMPlayer::play(EspeakNgSpeechSynthesizer::synthesize(trimmed, accent), utterance);
}
