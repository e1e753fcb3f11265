#include "speech/TextToSpeechProviderCatalogue.h"

#include "preferences/UserSettings.h"

const QList<TextToSpeechProviderCatalogue::Provider> &TextToSpeechProviderCatalogue::providers()
{
    static const QList<Provider> all = {
        {QStringLiteral("openai"), QStringLiteral("OpenAI"),
         Defaults{openAISpeechEndpoint(), QStringLiteral("gpt-4o-mini-tts"), QStringLiteral("alloy"),
                  QStringLiteral("mp3")}},
        {QStringLiteral("openAICompatible"), QStringLiteral("OpenAI-compatible 自定义"),
         Defaults{openAICompatibleExampleEndpoint(), QStringLiteral("custom-tts"), QStringLiteral("alloy"),
                  QStringLiteral("mp3")}},
        {QStringLiteral("dashScopeQwen"), QStringLiteral("阿里云百炼 Qwen-TTS"),
         Defaults{dashScopeWorkspaceTemplate(), QStringLiteral("qwen3-tts-flash"), QStringLiteral("Cherry"),
                  QStringLiteral("wav")}},
        {QStringLiteral("dashScopeCosyVoice"), QStringLiteral("阿里云百炼 CosyVoice"),
         Defaults{dashScopeWorkspaceTemplate(), QStringLiteral("cosyvoice-v3-flash"), QStringLiteral("longying"),
                  QStringLiteral("wav")}},
        // The desktop's own synthesizer needs no endpoint, so the HTTP fields are kept for later.
        {QStringLiteral("system"), QStringLiteral("System"), std::nullopt},
    };
    return all;
}

std::optional<TextToSpeechProviderCatalogue::Provider> TextToSpeechProviderCatalogue::provider(const QString &id)
{
    for (const Provider &candidate : providers()) {
        if (candidate.id == id)
            return candidate;
    }
    return std::nullopt;
}

QString TextToSpeechProviderCatalogue::openAISpeechEndpoint()
{
    return UserSettings::defaultTTSBaseURL();
}

QString TextToSpeechProviderCatalogue::openAICompatibleExampleEndpoint()
{
    return QStringLiteral("https://example.com/v1/audio/speech");
}

QString TextToSpeechProviderCatalogue::dashScopeWorkspaceTemplate()
{
    return QStringLiteral("https://{WorkspaceId}.cn-beijing.maas.aliyuncs.com/compatible-mode/v1");
}
