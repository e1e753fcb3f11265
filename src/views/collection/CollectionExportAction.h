#pragma once

#include "collection/LearningItem.h"
#include "export/LearningItemExportFormat.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

// The collection window's export: asks where to save, builds the file from the items the
// window holds at that moment and writes it in one piece; any failure becomes one alert.
// The dialog, the alert and the clock are replaceable so the flow can be driven in tests.
class CollectionExportAction {
public:
    struct SaveRequest {
        QString title;
        // A full path in the proposed folder, ending in the proposed file name.
        QString proposedPath;
        QString nameFilter;
        QString defaultSuffix;
    };
    // Calls `chosen` once with the confirmed path, or an empty path when cancelled. May
    // answer later (a real dialog) or at once (a test).
    using LocationChooser =
        std::function<void(QWidget *parent, const SaveRequest &request, std::function<void(const QString &)> chosen)>;
    using AlertPresenter = std::function<void(QWidget *parent, const QString &title, const QString &message)>;
    using Clock = std::function<QDateTime()>;
    using ItemsProvider = std::function<QList<std::shared_ptr<LearningItem>>()>;

    static const QString kDialogTitle;
    static const QString kFailureTitle;
    static const QString kFailureMessage;

    // Empty functions take the real save dialog, a message box and the current local time.
    explicit CollectionExportAction(LocationChooser chooser = {}, AlertPresenter alert = {}, Clock now = {});

    // Opens the save dialog for `format`; once a location is confirmed, exports `items()`.
    void start(QWidget *parent, LearningItemExportFormat format, ItemsProvider items) const;
    // Builds and writes the file; false (after the alert) when either fails.
    bool exportTo(QWidget *parent, const QString &path, LearningItemExportFormat format,
                  const QList<std::shared_ptr<LearningItem>> &items) const;

    SaveRequest saveRequest(LearningItemExportFormat format) const;

    // A non-native save dialog, window-modal and answered through its signals, so nothing
    // waits inside a nested event loop.
    static void chooseWithFileDialog(QWidget *parent, const SaveRequest &request,
                                     std::function<void(const QString &)> chosen);
    static void alertWithMessageBox(QWidget *parent, const QString &title, const QString &message);

private:
    LocationChooser m_chooser;
    AlertPresenter m_alert;
    Clock m_now;
};
