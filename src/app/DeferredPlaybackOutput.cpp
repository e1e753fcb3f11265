#include "app/DeferredPlaybackOutput.h"

const DeferredPlaybackOutput::Output &DeferredPlaybackOutput::output()
{
    if (!m_output)
        m_output = m_make();
    return *m_output;
}

QCoro::Task<void> DeferredPlaybackOutput::speak(QString text, QString accent, CancellationToken cancellation)
{
    co_await output().systemSpeechClient->speak(std::move(text), std::move(accent), std::move(cancellation));
}

QCoro::Task<void> DeferredPlaybackOutput::play(QByteArray audio, CancellationToken cancellation)
{
    co_await output().audioPlayer->play(std::move(audio), std::move(cancellation));
}
