#include "views/collection/CollectionExportAction.h"

#include "export/LearningItemExporter.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>

#include <exception>
#include <utility>

const QString CollectionExportAction::kDialogTitle = QStringLiteral("导出收藏");
const QString CollectionExportAction::kFailureTitle = QStringLiteral("导出失败");
const QString CollectionExportAction::kFailureMessage = QStringLiteral("收藏导出失败，请换一个保存位置后重试。");

CollectionExportAction::CollectionExportAction(LocationChooser chooser, AlertPresenter alert, Clock now)
    : m_chooser(chooser ? std::move(chooser) : LocationChooser(&CollectionExportAction::chooseWithFileDialog)),
      m_alert(alert ? std::move(alert) : AlertPresenter(&CollectionExportAction::alertWithMessageBox)),
      m_now(now ? std::move(now) : Clock([] { return QDateTime::currentDateTime(); }))
{
}

CollectionExportAction::SaveRequest CollectionExportAction::saveRequest(LearningItemExportFormat format) const
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::homePath();
    }
    SaveRequest request;
    request.title = kDialogTitle;
    request.proposedPath = QDir(folder).filePath(LearningItemExporter::proposedFileName(format, m_now()));
    request.defaultSuffix = fileExtension(format);
    request.nameFilter = format == LearningItemExportFormat::json ? QStringLiteral("JSON (*.json)")
                                                                  : QStringLiteral("Excel 工作簿 (*.xlsx)");
    return request;
}

void CollectionExportAction::start(QWidget *parent, LearningItemExportFormat format, ItemsProvider items) const
{
    // The dialog may answer after this action's owner is gone; the answer only needs copies.
    const QPointer<QWidget> guardedParent(parent);
    const bool hasParent = parent != nullptr;
    const CollectionExportAction action = *this;
    m_chooser(parent, saveRequest(format), [action, guardedParent, hasParent, format, items](const QString &path) {
        // The items come from the window: a window closed meanwhile exports nothing.
        if (path.isEmpty() || (hasParent && guardedParent.isNull())) {
            return;
        }
        action.exportTo(guardedParent.data(), path, format, items());
    });
}

bool CollectionExportAction::exportTo(QWidget *parent, const QString &path, LearningItemExportFormat format,
                                      const QList<std::shared_ptr<LearningItem>> &items) const
{
    try {
        const QByteArray data = format == LearningItemExportFormat::json
            ? LearningItemExporter::jsonData(items, m_now())
            : LearningItemExporter::xlsxData(items);
        LearningItemExporter::writeAtomically(data, path);
        return true;
    } catch (const std::exception &) {
        m_alert(parent, kFailureTitle, kFailureMessage);
        return false;
    }
}

void CollectionExportAction::chooseWithFileDialog(QWidget *parent, const SaveRequest &request,
                                                  std::function<void(const QString &)> chosen)
{
    auto *dialog = new QFileDialog(parent, request.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(request.nameFilter);
    dialog->setDefaultSuffix(request.defaultSuffix);
    dialog->setDirectory(QFileInfo(request.proposedPath).absolutePath());
    dialog->selectFile(QFileInfo(request.proposedPath).fileName());
    // Either signal ends the dialog; the shared flag keeps the answer to exactly one.
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen, answered](const QString &path) {
        if (!std::exchange(*answered, true)) {
            chosen(path);
        }
    });
    QObject::connect(dialog, &QDialog::rejected, dialog, [chosen, answered] {
        if (!std::exchange(*answered, true)) {
            chosen(QString());
        }
    });
    dialog->open();
}

void CollectionExportAction::alertWithMessageBox(QWidget *parent, const QString &title, const QString &message)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, message, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
