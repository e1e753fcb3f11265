#pragma once

#include "utilities/AppNotification.h"

#include <QMetaObject>
#include <QObject>

#include <memory>

class AppNotificationCenter;
class AppPreferencesStoring;
class ModelContainer;

// Owns the long-lived services and the windows of the tray application and turns its
// triggers (hotkey, menu entries, requests from other processes) into windows. Lives as
// long as the program. Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    AppDelegate(std::unique_ptr<AppPreferencesStoring> preferencesStore, AppNotificationCenter &notificationCenter,
                QObject *parent = nullptr);
    ~AppDelegate() override;

    // Set once by the application right after construction; not owned.
    void setModelContainer(ModelContainer *container) { m_modelContainer = container; }
    ModelContainer *modelContainer() const { return m_modelContainer; }
    AppPreferencesStoring &preferencesStore() const { return *m_preferencesStore; }

    // Start-up once the event loop is about to run: triggers, then the subscriptions.
    void applicationDidFinishLaunching();
    // Undoes the start-up: subscriptions and triggers go away.
    void applicationWillTerminate();

    void showLookupPanel();
    void showCollection();
    void showReview();
    void showDailyRecommendation();
    void scheduleDailyRecommendation();

private:
    // Reconfigures the lookup triggers from the preferences as they are now.
    void configureLookupTriggers();
    QMetaObject::Connection observe(AppNotification name, void (AppDelegate::*handler)());

    std::unique_ptr<AppPreferencesStoring> m_preferencesStore;
    AppNotificationCenter &m_notificationCenter;
    ModelContainer *m_modelContainer = nullptr;

    QMetaObject::Connection m_lookupPanelObserver;
    QMetaObject::Connection m_collectionObserver;
    QMetaObject::Connection m_reviewObserver;
    QMetaObject::Connection m_dailyRecommendationObserver;
    QMetaObject::Connection m_dailyRecommendationPreferencesObserver;
    QMetaObject::Connection m_lookupTriggerPreferencesObserver;
};
