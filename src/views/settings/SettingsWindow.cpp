#include "views/settings/SettingsWindow.h"

#include "BuildInfo.h"
#include "dictionary/ChineseGlossTable.h"
#include "foundation/AppEnvironment.h"
#include "viewmodels/settings/SettingsViewModel.h"
#include "views/common/PanelWindowSetup.h"
#include "views/common/SymbolIcon.h"
#include "views/settings/SettingsPages.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

struct Section {
    const char *title;
    const char *symbol;
};

// In the order of the sidebar.
constexpr Section kSections[] = {
    {"权限", "hand.raised"},         {"AI 设置", "wand.and.stars"}, {"发音设置", "speaker.wave.2"},
    {"复习提醒", "bell"},             {"每日推荐", "newspaper"},      {"查词触发", "text.viewfinder"},
};

QLabel *wrapped(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QDialog *sheet(QWidget *parent, const QString &title)
{
    auto *dialog = new QDialog(parent, Qt::Sheet);
    dialog->setWindowTitle(title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    dialog->setMinimumWidth(420);
    auto *layout = new QVBoxLayout(dialog);
    auto *heading = new QLabel(title, dialog);
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.2);
    heading->setFont(font);
    layout->addWidget(heading);
    return dialog;
}

} // namespace

SettingsWindow::SettingsWindow(std::unique_ptr<SettingsViewModel> viewModel, std::function<void()> revealLog,
                               QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_viewModel(std::move(viewModel)),
      m_sidebar(new QListWidget(this)),
      m_pages(new QStackedWidget(this))
{
    setUpPanelWindow(this, QStringLiteral("设置"), kSize, kMinimumSize);
    setAttribute(Qt::WA_DeleteOnClose);

    auto *side = new QWidget(this);
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(12, 16, 12, 12);
    auto *title = new QLabel(QStringLiteral("设置"), side);
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    sideLayout->addWidget(title);
    m_sidebar->setFrameShape(QFrame::NoFrame);
    m_sidebar->setFixedWidth(170);
    for (const Section &section : kSections)
        m_sidebar->addItem(
            new QListWidgetItem(SymbolIcon::icon(QString::fromUtf8(section.symbol), PanelColors::Role::label),
                                QString::fromUtf8(section.title)));
    sideLayout->addWidget(m_sidebar, 1);
    auto *version = new QLabel(versionText(), side);
    version->setObjectName(QStringLiteral("versionLabel"));
    sideLayout->addWidget(version);
    auto *attribution = new QLabel(ChineseGlossTable::attribution(), side);
    attribution->setWordWrap(true);
    sideLayout->addWidget(attribution);

    SettingsViewModel &model = *m_viewModel;
    m_pages->addWidget(SettingsPages::permissions(model, [this] { showPrivacyNotice(); }, std::move(revealLog)));
    m_pages->addWidget(SettingsPages::ai(model));
    m_pages->addWidget(SettingsPages::pronunciation(model));
    m_pages->addWidget(SettingsPages::reminder(model));
    m_pages->addWidget(SettingsPages::dailyRecommendation(model));
    m_pages->addWidget(SettingsPages::lookupTrigger(model, [this] { showSelectionBadgePrivacyNotice(); }));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(side);
    layout->addWidget(m_pages, 1);
    connect(m_sidebar, &QListWidget::currentRowChanged, m_pages, &QStackedWidget::setCurrentIndex);
    m_sidebar->setCurrentRow(0);
    model.refreshPermissions(false);
}

SettingsWindow::~SettingsWindow()
{
    // The pages follow the view model; none may render while the window comes apart.
    disconnect(m_viewModel.get(), nullptr, nullptr, nullptr);
}

QString SettingsWindow::versionText()
{
    const QString version = QStringLiteral(RAROZEZEV_VERSION_STRING);
    return QStringLiteral("版本 ") + (version.isEmpty() ? QStringLiteral("-") : version) + QLatin1Char(' ')
           + AppEnvironment::versionLabel(AppEnvironment::distributionChannel());
}

void SettingsWindow::showSelectionBadgePrivacyNotice()
{
    QDialog *dialog = sheet(this, QStringLiteral("开启划词浮标"));
    for (const char *line : {"开启后，Rarozezev 会在你选中英文并松开鼠标时检测选区，用于显示查词浮标。",
                             "只有在你点击浮标或使用快捷键查词时，选中文本才会发送到当前配置的 AI 服务生成解释。",
                             "如果某些 App 无法直接读取选中文本，应用会短暂使用复制方式读取，并尽量恢复原剪贴板内容。"})
        dialog->layout()->addWidget(wrapped(QString::fromUtf8(line), dialog));
    auto *buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    buttons->addButton(QStringLiteral("继续并开启"), QDialogButtonBox::AcceptRole);
    dialog->layout()->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    SettingsViewModel *model = m_viewModel.get();
    connect(dialog, &QDialog::finished, this, [model](int result) {
        if (result == QDialog::Accepted)
            model->confirmSelectionBadgePrivacyNoticeAndEnable();
        else
            model->cancelSelectionBadgePrivacyNotice();
    });
    dialog->open();
}

void SettingsWindow::showPrivacyNotice()
{
    QDialog *dialog = sheet(this, QStringLiteral("隐私说明"));
    auto *rows = new QFormLayout;
    rows->setRowWrapPolicy(QFormLayout::WrapLongRows);
    const std::pair<const char *, const char *> entries[] = {
        {"选中文本", "仅在你点击浮标、使用快捷键或手动查词时读取当前选中文本。"},
        {"AI 服务", "查词文本会发送到当前配置的 AI 服务，用于生成释义、翻译和用法说明。"},
        {"剪贴板", "部分 App 无法直接读取选区时，会短暂使用复制方式读取，并尽量恢复原剪贴板内容。"},
        {"API Key", "正式版 API Key 保存在本机密钥环中；打开设置时不会明文读取显示。"},
        {"诊断日志", "应用会在本机按开发态、内测版、正式版分别写入脱敏诊断日志，用于排查问题；日志默认不记录完整选中文本、请求体或 API Key。"},
    };
    for (const auto &[title, detail] : entries)
        rows->addRow(QString::fromUtf8(title), wrapped(QString::fromUtf8(detail), dialog));
    static_cast<QVBoxLayout *>(dialog->layout())->addLayout(rows);
    auto *buttons = new QDialogButtonBox(dialog);
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    dialog->layout()->addWidget(buttons);
    dialog->open();
}
