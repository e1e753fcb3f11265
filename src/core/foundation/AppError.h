#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The one user-facing error. Every value carries its complete Simplified Chinese message;
// lower layers translate their own failures into it at their boundary.
class AppError : public std::exception {
public:
    enum class Kind {
        aiRequestFailedDetail,
        textToSpeechFailed,
        permissionDenied,
        invalidAISettings,
        invalidTextToSpeechSettings,
        invalidAIResponse,
        selectedTextUnavailable,
        selectedTextUnreadableHere,
        clipboardSnapshotFailed,
        clipboardRestoreFailed,
    };

    static AppError aiRequestFailedDetail(const QString &detail);
    static AppError textToSpeechFailed(const QString &detail);
    static AppError permissionDenied(const QString &permissionName);
    static AppError invalidAISettings();
    static AppError invalidTextToSpeechSettings();
    static AppError invalidAIResponse();
    static AppError selectedTextUnavailable();
    // The desktop's own limit, with what the learner can do instead.
    static AppError selectedTextUnreadableHere(const QString &remedy);
    static AppError clipboardSnapshotFailed();
    static AppError clipboardRestoreFailed();

    Kind kind() const { return m_kind; }
    // The detail, permission name or empty for the cases without payload.
    const QString &payload() const { return m_payload; }

    // Always present; the panels show it verbatim.
    QString errorDescription() const;
    const char *what() const noexcept override { return m_utf8.constData(); }
    // English case name with its payload, e.g. "aiRequestFailedDetail(HTTP 500)", for log
    // lines; the Chinese message stays with the user interface.
    QString debugDescription() const;

    bool operator==(const AppError &other) const
    {
        return m_kind == other.m_kind && m_payload == other.m_payload;
    }

private:
    AppError(Kind kind, QString payload = {});

    Kind m_kind;
    QString m_payload;
    QByteArray m_utf8;
};
