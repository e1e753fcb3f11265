#include "app/AppDelegate.h"

#include "services/AppPreferencesStoring.h"
#include "utilities/AppLogger.h"
#include "utilities/AppNotificationCenter.h"

#include <QGuiApplication>

AppDelegate::AppDelegate(std::unique_ptr<AppPreferencesStoring> preferencesStore,
                         AppNotificationCenter &notificationCenter, QObject *parent)
    : QObject(parent), m_preferencesStore(std::move(preferencesStore)), m_notificationCenter(notificationCenter)
{
}

AppDelegate::~AppDelegate() { applicationWillTerminate(); }

void AppDelegate::applicationDidFinishLaunching()
{
    // A tray application: closing its last window must not end it. The tray icon itself has
    // no window, so nothing shows in the taskbar until a panel opens.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    configureLookupTriggers();
    m_lookupPanelObserver = observe(AppNotification::openLookupPanel, &AppDelegate::showLookupPanel);
    m_collectionObserver = observe(AppNotification::openCollection, &AppDelegate::showCollection);
    m_reviewObserver = observe(AppNotification::openReview, &AppDelegate::showReview);
    m_dailyRecommendationObserver = observe(AppNotification::openDailyRecommendation, &AppDelegate::showDailyRecommendation);
    m_dailyRecommendationPreferencesObserver =
        observe(AppNotification::dailyRecommendationPreferencesChanged, &AppDelegate::scheduleDailyRecommendation);
    m_lookupTriggerPreferencesObserver =
        observe(AppNotification::lookupTriggerPreferencesChanged, &AppDelegate::configureLookupTriggers);
}

void AppDelegate::applicationWillTerminate()
{
    for (QMetaObject::Connection *observer :
         {&m_lookupPanelObserver, &m_collectionObserver, &m_reviewObserver, &m_dailyRecommendationObserver,
          &m_dailyRecommendationPreferencesObserver, &m_lookupTriggerPreferencesObserver}) {
        QObject::disconnect(*observer);
        *observer = {};
    }
}

QMetaObject::Connection AppDelegate::observe(AppNotification name, void (AppDelegate::*handler)())
{
    // The delegate is the connection's context: once it is gone nothing is called.
    return connect(&m_notificationCenter, &AppNotificationCenter::posted, this, [this, name, handler](AppNotification posted) {
        if (posted == name)
            (this->*handler)();
    });
}

void AppDelegate::configureLookupTriggers() {}

void AppDelegate::showLookupPanel()
{
    if (!m_modelContainer) {
        AppLogger::error([] { return QStringLiteral("Cannot open lookup panel before the model container is configured."); });
        return;
    }
}

void AppDelegate::showCollection()
{
    if (!m_modelContainer)
        AppLogger::error([] { return QStringLiteral("Cannot open collection before the model container is configured."); });
}

void AppDelegate::showReview()
{
    if (!m_modelContainer)
        AppLogger::error([] { return QStringLiteral("Cannot open review before the model container is configured."); });
}

void AppDelegate::showDailyRecommendation() {}

void AppDelegate::scheduleDailyRecommendation() {}
