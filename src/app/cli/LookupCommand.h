#pragma once

#include "app/cli/CommandIO.h"
#include "app/cli/LookupCommandOptions.h"
#include "utilities/CancellationToken.h"

#include <QCoroTask>
#include <QStringList>

#include <optional>

class AIClient;
class AppPreferencesStoring;
class LookupResultCaching;
class SystemDictionaryLookingUp;
struct UserSettings;

// `rarozezev lookup`: explains a text with the AI service or the offline dictionary and
// prints the explanation. A full AI lookup reads and fills the same cache as the lookup
// panel, under the same text and type, so either may answer the other's questions.
class LookupCommand {
public:
    // Named in messages about a key that cannot be read.
    static constexpr char apiKeyVariable[] = "RAROZEZEV_AI_API_KEY";

    struct Collaborators {
        AppPreferencesStoring &preferences;
        AIClient &aiClient;
        LookupResultCaching &resultCache;
        const SystemDictionaryLookingUp &systemDictionary;
        // Used instead of the keyring when present (the environment's apiKeyVariable).
        std::optional<QString> apiKeyOverride;
    };

    LookupCommand(CommandIO io, Collaborators collaborators, CancellationToken cancellation = {});

    // `arguments` follow the word "lookup". Returns the exit code.
    QCoro::Task<int> run(QStringList arguments);

    static QString helpText();

private:
    QCoro::Task<int> lookUpWithAI(QString text, LookupCommandOptions options);
    int lookUpInDictionary(const QString &text, LookupCommandOptions::Format format);
    QCoro::Task<UserSettings> settingsWithAPIKey();
    int fail(const QString &message) const;

    CommandIO m_io;
    Collaborators m_collaborators;
    CancellationToken m_cancellation;
};
