#include "app/cli/SpeechAudioFileWriter.h"

#include "foundation/AppError.h"
#include "platform/speech/EspeakNgSpeechSynthesizer.h"

#include <QSaveFile>

SpeechAudioFileWriter::SpeechAudioFileWriter(QString path) : m_path(std::move(path)) {}

QCoro::Task<void> SpeechAudioFileWriter::speak(QString text, QString accent, CancellationToken cancellation)
{
    cancellation.throwIfCancelled();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        throw AppError::textToSpeechFailed(QStringLiteral("没有可朗读的文本。"));
    write(EspeakNgSpeechSynthesizer::synthesize(trimmed, accent).wavData());
    co_return;
}

QCoro::Task<void> SpeechAudioFileWriter::play(QByteArray audio, CancellationToken cancellation)
{
    cancellation.throwIfCancelled();
    write(audio);
    co_return;
}

void SpeechAudioFileWriter::write(const QByteArray &data) const
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw AppError::textToSpeechFailed(QStringLiteral("无法写入音频文件 %1：%2").arg(m_path, file.errorString()));
}
