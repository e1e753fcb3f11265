#pragma once

#include <QWidget>

#include <functional>

class SettingsViewModel;

// The pages of the settings window, one per section. Each holds its controls, writes edits
// to the view model and re-renders whenever the view model changes.
namespace SettingsPages {

QWidget *permissions(SettingsViewModel &model, std::function<void()> showPrivacyNotice, std::function<void()> revealLog);
QWidget *ai(SettingsViewModel &model);
QWidget *pronunciation(SettingsViewModel &model);
QWidget *reminder(SettingsViewModel &model);
QWidget *dailyRecommendation(SettingsViewModel &model);
// `askBadgeNotice` shows the badge privacy notice instead of switching the badge on.
QWidget *lookupTrigger(SettingsViewModel &model, std::function<void()> askBadgeNotice);

} // namespace SettingsPages
