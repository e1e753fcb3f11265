#include "viewmodels/lookup/LookupPanelPinController.h"

LookupPanelPinController::LookupPanelPinController(QObject *parent) : QObject(parent) {}

void LookupPanelPinController::toggle()
{
    m_isPinned = !m_isPinned;
    emit changed();
}

QString LookupPanelPinController::systemImageName() const
{
    return m_isPinned ? QStringLiteral("pin.fill") : QStringLiteral("pin");
}

QString LookupPanelPinController::helpText() const
{
    return m_isPinned ? QStringLiteral("取消固定") : QStringLiteral("固定窗口");
}
