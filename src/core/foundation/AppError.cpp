#include "foundation/AppError.h"

AppError::AppError(Kind kind, QString payload)
    : m_kind(kind), m_payload(std::move(payload)), m_utf8(errorDescription().toUtf8())
{
}

AppError AppError::aiRequestFailedDetail(const QString &detail) { return {Kind::aiRequestFailedDetail, detail}; }
AppError AppError::textToSpeechFailed(const QString &detail) { return {Kind::textToSpeechFailed, detail}; }
AppError AppError::permissionDenied(const QString &permissionName) { return {Kind::permissionDenied, permissionName}; }
AppError AppError::invalidAISettings() { return AppError(Kind::invalidAISettings); }
AppError AppError::invalidTextToSpeechSettings() { return AppError(Kind::invalidTextToSpeechSettings); }
AppError AppError::invalidAIResponse() { return AppError(Kind::invalidAIResponse); }
AppError AppError::selectedTextUnavailable() { return AppError(Kind::selectedTextUnavailable); }
AppError AppError::selectedTextUnreadableHere(const QString &remedy)
{
    return AppError(Kind::selectedTextUnreadableHere, remedy);
}
AppError AppError::clipboardSnapshotFailed() { return AppError(Kind::clipboardSnapshotFailed); }
AppError AppError::clipboardRestoreFailed() { return AppError(Kind::clipboardRestoreFailed); }

QString AppError::errorDescription() const
{
    switch (m_kind) {
    case Kind::aiRequestFailedDetail:
        return QStringLiteral("AI 查询失败：") + m_payload;
    case Kind::textToSpeechFailed:
        return QStringLiteral("发音失败：") + m_payload;
    case Kind::permissionDenied:
        return QStringLiteral("缺少权限：") + m_payload + QStringLiteral("。请在系统设置中授权后再次查词。");
    case Kind::invalidAISettings:
        return QStringLiteral("AI 设置不完整，请检查 API Key、Base URL 和模型名称。");
    case Kind::invalidTextToSpeechSettings:
        return QStringLiteral("发音设置不完整，请检查 API Key、TTS Base URL、模型和声音。");
    case Kind::invalidAIResponse:
        return QStringLiteral("AI 返回格式无法解析。");
    case Kind::selectedTextUnavailable:
        return QStringLiteral("无法读取选中文本。请先选中英文，并确认已授予辅助功能权限。");
    case Kind::selectedTextUnreadableHere:
        return QStringLiteral("无法读取选中文本：") + m_payload;
    case Kind::clipboardSnapshotFailed:
        return QStringLiteral("无法保存当前剪贴板内容，已取消本次查词。");
    case Kind::clipboardRestoreFailed:
        return QStringLiteral("无法恢复原剪贴板内容，请检查剪贴板状态。");
    }
    return {};
}

QString AppError::debugDescription() const
{
    const auto withPayload = [this](const char *name) {
        return QLatin1String(name) + QLatin1Char('(') + m_payload + QLatin1Char(')');
    };
    switch (m_kind) {
    case Kind::aiRequestFailedDetail:
        return withPayload("aiRequestFailedDetail");
    case Kind::textToSpeechFailed:
        return withPayload("textToSpeechFailed");
    case Kind::permissionDenied:
        return withPayload("permissionDenied");
    case Kind::invalidAISettings:
        return QStringLiteral("invalidAISettings");
    case Kind::invalidTextToSpeechSettings:
        return QStringLiteral("invalidTextToSpeechSettings");
    case Kind::invalidAIResponse:
        return QStringLiteral("invalidAIResponse");
    case Kind::selectedTextUnavailable:
        return QStringLiteral("selectedTextUnavailable");
    case Kind::selectedTextUnreadableHere:
        return QStringLiteral("selectedTextUnreadableHere");
    case Kind::clipboardSnapshotFailed:
        return QStringLiteral("clipboardSnapshotFailed");
    case Kind::clipboardRestoreFailed:
        return QStringLiteral("clipboardRestoreFailed");
    }
    return {};
}
