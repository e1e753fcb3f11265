#pragma once

#include <QString>
#include <QUuid>

// The settings snapshot handed to the lookup, speech and article clients. It is built
// from the preferences whenever needed and never stored.
struct UserSettings {
    QUuid id = QUuid::createUuid();
    QString globalShortcut;
    QString aiProvider;
    QString aiModel;
    QString apiKey;
    QString baseURL;
    bool reminderEnabled = false;
    int reminderTimeHour = 20;
    int reminderTimeMinute = 30;
    bool clipboardFallbackEnabled = true;
    QString languagePreference;
    bool selectionBadgeEnabled = false;
    bool optionDHotkeyEnabled = true;
    QString ttsProvider = QStringLiteral("openai");
    QString ttsBaseURL = defaultTTSBaseURL();
    QString ttsModel = QStringLiteral("gpt-4o-mini-tts");
    QString ttsVoice = QStringLiteral("alloy");
    QString ttsResponseFormat = QStringLiteral("mp3");
    QString ttsAPIKey;
    QString systemPronunciationAccent = QStringLiteral("american");

    // The OpenAI speech endpoint, the default speech service.
    static QString defaultTTSBaseURL() { return QStringLiteral("https://api.openai.com/v1/audio/speech"); }
};
