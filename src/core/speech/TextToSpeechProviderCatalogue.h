#pragma once

#include <QList>
#include <QString>

#include <optional>

// The speech providers the settings offer, in the order shown, with the endpoint, model,
// voice and audio format that choosing one fills in.
class TextToSpeechProviderCatalogue {
public:
    struct Defaults {
        QString baseURL;
        QString model;
        QString voice;
        QString responseFormat;
    };

    struct Provider {
        QString id;    // stored under "ttsProvider"
        QString label; // shown in the settings
        // What choosing the provider writes into the speech fields; none leaves them as they are.
        std::optional<Defaults> defaults;
    };

    TextToSpeechProviderCatalogue() = delete;

    static const QList<Provider> &providers();
    static std::optional<Provider> provider(const QString &id);

    static QString openAISpeechEndpoint();
    // A placeholder for the user's own service.
    static QString openAICompatibleExampleEndpoint();
    // The user replaces "{WorkspaceId}" with the workspace of their DashScope console.
    static QString dashScopeWorkspaceTemplate();
};
