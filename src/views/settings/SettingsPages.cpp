#include "views/settings/SettingsPages.h"

#include "viewmodels/settings/SettingsViewModel.h"
#include "speech/TextToSpeechProviderCatalogue.h"
#include "views/common/PanelTheme.h"
#include "views/common/SymbolIcon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

struct Page {
    QWidget *widget;
    QVBoxLayout *layout;
};

Page makePage(const QString &title)
{
    auto *widget = new QWidget;
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(12);
    auto *heading = new QLabel(title, widget);
    QFont font = heading->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    heading->setFont(font);
    layout->addWidget(heading);
    return {widget, layout};
}

QLabel *note(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    PanelTheme::setTextRole(label, PanelColors::Role::secondaryLabel);
    return label;
}

// A red line under a section that shows the message while there is one.
QLabel *errorLine(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setWordWrap(true);
    label->setObjectName(QStringLiteral("errorMessage"));
    PanelTheme::setTextRole(label, PanelColors::Role::errorText);
    label->hide();
    return label;
}

void showMessage(QLabel *label, const std::optional<QString> &message)
{
    label->setText(message.value_or(QString()));
    label->setVisible(message.has_value());
}

QLineEdit *lineEdit(QWidget *parent, QString *field, bool secure = false, const QString &placeholder = {})
{
    auto *edit = new QLineEdit(*field, parent);
    if (secure)
        edit->setEchoMode(QLineEdit::Password);
    edit->setPlaceholderText(placeholder);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [field](const QString &text) { *field = text; });
    return edit;
}

void setText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text) {
        const QSignalBlocker block(edit);
        edit->setText(text);
    }
}

void setChecked(QCheckBox *box, bool checked)
{
    const QSignalBlocker block(box);
    box->setChecked(checked);
}

template<typename Render>
void follow(SettingsViewModel &model, QWidget *page, Render render)
{
    QObject::connect(&model, &SettingsViewModel::changed, page, render);
    render();
}

} // namespace

QWidget *SettingsPages::permissions(SettingsViewModel &model, std::function<void()> showPrivacyNotice,
                                    std::function<void()> revealLog)
{
    Page page = makePage(QStringLiteral("权限"));
    page.layout->addWidget(note(QStringLiteral("X11 桌面不需要单独授权。下面列出本机各项机制是否可用，不可用的附有处理办法。"), page.widget));
    auto *status = new QLabel(page.widget);
    status->setObjectName(QStringLiteral("permissionStatus"));
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    page.layout->addWidget(status);
    auto *buttons = new QHBoxLayout;
    auto *refresh = new QPushButton(QStringLiteral("刷新权限状态"), page.widget);
    auto *check = new QPushButton(QStringLiteral("检查"), page.widget);
    check->setToolTip(QStringLiteral("同时检查 AI 服务地址能否访问"));
    buttons->addWidget(refresh);
    buttons->addWidget(check);
    buttons->addStretch();
    page.layout->addLayout(buttons);
    QObject::connect(refresh, &QPushButton::clicked, page.widget, [&model] { model.refreshPermissions(false); });
    QObject::connect(check, &QPushButton::clicked, page.widget, [&model] { model.refreshPermissions(true); });

    auto *noticeTitle = new QLabel(QStringLiteral("权限与隐私说明"), page.widget);
    QFont bold = noticeTitle->font();
    bold.setBold(true);
    noticeTitle->setFont(bold);
    page.layout->addWidget(noticeTitle);
    for (const char *line : {"辅助功能权限用于响应划词和快捷键查词。Rarozezev 只在你触发查词时读取选中文本。",
                             "部分 App 无法直接读取选区时，会短暂使用复制方式读取，并尽量恢复原剪贴板内容。",
                             "查词文本会发送到当前配置的 AI 服务，用于生成解释。"})
        page.layout->addWidget(note(QString::fromUtf8(line), page.widget));
    auto *privacy = new QPushButton(SymbolIcon::icon(QStringLiteral("lock.shield"), PanelColors::Role::label),
                                    QStringLiteral("隐私政策"), page.widget);
    auto *reveal =
        new QPushButton(SymbolIcon::icon(QStringLiteral("doc.text.magnifyingglass"), PanelColors::Role::label),
                        QStringLiteral("在文件管理器中显示诊断日志"), page.widget);
    QObject::connect(privacy, &QPushButton::clicked, page.widget, std::move(showPrivacyNotice));
    QObject::connect(reveal, &QPushButton::clicked, page.widget, std::move(revealLog));
    auto *links = new QHBoxLayout;
    links->addWidget(privacy);
    links->addWidget(reveal);
    links->addStretch();
    page.layout->addLayout(links);
    page.layout->addStretch();

    follow(model, page.widget, [&model, status, refresh, check] {
        refresh->setEnabled(!model.isCheckingDesktop());
        check->setEnabled(!model.isCheckingDesktop());
        if (!model.desktopReport()) {
            status->setText(model.isCheckingDesktop() ? QStringLiteral("正在检查…") : QString());
            return;
        }
        status->setText(model.desktopReport()->text());
    });
    return page.widget;
}

QWidget *SettingsPages::ai(SettingsViewModel &model)
{
    Page page = makePage(QStringLiteral("AI 设置"));
    if (model.hasBundledServiceConfiguration()) {
        auto *title = new QLabel(QStringLiteral("内测版已内置 AI 服务，安装后可直接使用。"), page.widget);
        title->setObjectName(QStringLiteral("bundledNotice"));
        page.layout->addWidget(title);
        page.layout->addWidget(note(QStringLiteral("服务、模型和 API Key 已随内测版固定配置。"), page.widget));
        page.layout->addStretch();
        return page.widget;
    }
    auto *form = new QFormLayout;
    auto *baseURL = lineEdit(page.widget, &model.aiBaseURL);
    auto *modelName = lineEdit(page.widget, &model.aiModel);
    auto *key = lineEdit(page.widget, &model.aiAPIKey, true, QStringLiteral("留空保持原 API Key"));
    form->addRow(QStringLiteral("Base URL"), baseURL);
    form->addRow(QStringLiteral("模型名称"), modelName);
    form->addRow(QStringLiteral("API Key"), key);
    page.layout->addLayout(form);
    auto *warning = errorLine(page.widget);
    warning->setObjectName(QStringLiteral("plainHTTPWarning"));
    page.layout->addWidget(warning);
    auto *save = new QPushButton(QStringLiteral("保存 AI 设置"), page.widget);
    page.layout->addWidget(save, 0, Qt::AlignLeft);
    page.layout->addWidget(
        note(QStringLiteral("API Key 不会在打开设置时读取；需要更换时输入新 Key 后保存，留空会保持原 Key。"), page.widget));
    auto *error = errorLine(page.widget);
    page.layout->addWidget(error);
    page.layout->addStretch();
    QObject::connect(save, &QPushButton::clicked, page.widget, [&model] { model.saveAISettingsFromView(); });
    const auto showWarning = [warning](const QString &url) {
        const QString text = SettingsViewModel::plainHTTPWarning(url);
        showMessage(warning, text.isEmpty() ? std::nullopt : std::optional<QString>(text));
    };
    QObject::connect(baseURL, &QLineEdit::textChanged, page.widget, showWarning);
    follow(model, page.widget, [&model, baseURL, modelName, key, error, showWarning] {
        setText(baseURL, model.aiBaseURL);
        setText(modelName, model.aiModel);
        setText(key, model.aiAPIKey);
        showWarning(model.aiBaseURL);
        showMessage(error, model.aiSettingsErrorMessage());
    });
    return page.widget;
}

QWidget *SettingsPages::pronunciation(SettingsViewModel &model)
{
    Page page = makePage(QStringLiteral("发音设置"));
    auto *form = new QFormLayout;
    auto *provider = new QComboBox(page.widget);
    for (const auto &each : TextToSpeechProviderCatalogue::providers())
        provider->addItem(each.label, each.id);
    auto *baseURL = lineEdit(page.widget, &model.ttsBaseURL);
    auto *modelName = lineEdit(page.widget, &model.ttsModel);
    auto *key = lineEdit(page.widget, &model.ttsAPIKey, true, QStringLiteral("留空保持原 TTS API Key"));
    auto *voice = lineEdit(page.widget, &model.ttsVoice);
    auto *format = new QComboBox(page.widget);
    format->addItem(QStringLiteral("MP3"), QStringLiteral("mp3"));
    format->addItem(QStringLiteral("WAV"), QStringLiteral("wav"));
    auto *accent = new QComboBox(page.widget);
    accent->addItem(QStringLiteral("美音"), QStringLiteral("american"));
    accent->addItem(QStringLiteral("英音"), QStringLiteral("british"));
    form->addRow(QStringLiteral("TTS 服务"), provider);
    form->addRow(QStringLiteral("TTS Base URL"), baseURL);
    form->addRow(QStringLiteral("TTS 模型"), modelName);
    form->addRow(QStringLiteral("TTS API Key"), key);
    form->addRow(QStringLiteral("声音"), voice);
    form->addRow(QStringLiteral("音频格式"), format);
    form->addRow(QStringLiteral("默认发音类型"), accent);
    page.layout->addLayout(form);
    for (QWidget *fixed : {static_cast<QWidget *>(provider), static_cast<QWidget *>(baseURL),
                           static_cast<QWidget *>(modelName), static_cast<QWidget *>(key),
                           static_cast<QWidget *>(voice), static_cast<QWidget *>(format)})
        fixed->setEnabled(!model.hasBundledServiceConfiguration());
    auto *save = new QPushButton(QStringLiteral("保存发音设置"), page.widget);
    page.layout->addWidget(save, 0, Qt::AlignLeft);
    page.layout->addWidget(note(QStringLiteral("单词优先使用系统发音（espeak-ng），并按默认发音类型选择美音或英音；"
                                               "词组和句子使用上面配置的 TTS 服务。选择 System 时全部使用系统发音。"),
                                page.widget));
    auto *error = errorLine(page.widget);
    page.layout->addWidget(error);
    page.layout->addStretch();

    QObject::connect(provider, &QComboBox::activated, page.widget,
                     [&model, provider](int index) { model.setTTSProvider(provider->itemData(index).toString()); });
    QObject::connect(format, &QComboBox::activated, page.widget,
                     [&model, format](int index) { model.ttsResponseFormat = format->itemData(index).toString(); });
    QObject::connect(accent, &QComboBox::activated, page.widget, [&model, accent](int index) {
        model.systemPronunciationAccent = accent->itemData(index).toString();
    });
    QObject::connect(save, &QPushButton::clicked, page.widget, [&model] { model.saveTTSSettingsFromView(); });
    follow(model, page.widget, [=, &model] {
        provider->setCurrentIndex(provider->findData(model.ttsProvider));
        setText(baseURL, model.ttsBaseURL);
        setText(modelName, model.ttsModel);
        setText(key, model.ttsAPIKey);
        setText(voice, model.ttsVoice);
        format->setCurrentIndex(format->findData(model.ttsResponseFormat));
        accent->setCurrentIndex(accent->findData(model.systemPronunciationAccent));
        showMessage(error, model.ttsSettingsErrorMessage());
    });
    return page.widget;
}

QWidget *SettingsPages::reminder(SettingsViewModel &model)
{
    Page page = makePage(QStringLiteral("复习提醒"));
    auto *enabled = new QCheckBox(QStringLiteral("开启每日复习提醒"), page.widget);
    page.layout->addWidget(enabled);
    auto *error = errorLine(page.widget);
    page.layout->addWidget(error);
    page.layout->addStretch();
    QObject::connect(enabled, &QCheckBox::toggled, page.widget, [&model](bool on) { model.setReminderEnabled(on); });
    follow(model, page.widget, [&model, enabled, error] {
        setChecked(enabled, model.reminderEnabled());
        showMessage(error, model.reminderSettingsErrorMessage());
    });
    return page.widget;
}

QWidget *SettingsPages::dailyRecommendation(SettingsViewModel &model)
{
    Page page = makePage(QStringLiteral("每日推荐"));
    auto *enabled = new QCheckBox(QStringLiteral("开启英文文章推荐"), page.widget);
    page.layout->addWidget(enabled);
    auto *form = new QFormLayout;
    auto *frequency = new QComboBox(page.widget);
    for (RecommendationFrequency each : kAllRecommendationFrequencies)
        frequency->addItem(title(each), rawValue(each));
    auto *difficulty = new QComboBox(page.widget);
    for (RecommendationDifficulty each : kAllRecommendationDifficulties)
        difficulty->addItem(title(each), rawValue(each));
    auto *time = new QTimeEdit(page.widget);
    time->setDisplayFormat(QStringLiteral("HH:mm"));
    form->addRow(QStringLiteral("推送频率"), frequency);
    form->addRow(QStringLiteral("文章难度"), difficulty);
    form->addRow(QStringLiteral("推送时间"), time);
    page.layout->addLayout(form);
    auto *save = new QPushButton(QStringLiteral("保存每日推荐设置"), page.widget);
    page.layout->addWidget(save, 0, Qt::AlignLeft);
    page.layout->addWidget(note(QStringLiteral("到达设定时间后会收到系统通知。点击通知可打开当天文章，并查看关键单词、词组和语法讲解。"
                                               "文章由当前配置的 AI 服务生成，同一天会优先读取缓存。"),
                                page.widget));
    auto *error = errorLine(page.widget);
    page.layout->addWidget(error);
    page.layout->addStretch();

    QObject::connect(enabled, &QCheckBox::toggled, page.widget, [&model](bool on) { model.dailyRecommendationEnabled = on; });
    QObject::connect(frequency, &QComboBox::activated, page.widget, [&model, frequency](int index) {
        model.dailyRecommendationFrequency = recommendationFrequencyFromPreference(frequency->itemData(index).toString());
    });
    QObject::connect(difficulty, &QComboBox::activated, page.widget, [&model, difficulty](int index) {
        model.dailyRecommendationDifficulty = recommendationDifficultyFromPreference(difficulty->itemData(index).toString());
    });
    QObject::connect(time, &QTimeEdit::timeChanged, page.widget, [&model](QTime value) { model.dailyRecommendationTime = value; });
    QObject::connect(save, &QPushButton::clicked, page.widget, [&model] { model.saveDailyRecommendation(); });
    follow(model, page.widget, [=, &model] {
        setChecked(enabled, model.dailyRecommendationEnabled);
        frequency->setCurrentIndex(frequency->findData(rawValue(model.dailyRecommendationFrequency)));
        difficulty->setCurrentIndex(difficulty->findData(rawValue(model.dailyRecommendationDifficulty)));
        const QSignalBlocker block(time);
        time->setTime(model.dailyRecommendationTime);
        showMessage(error, model.dailyRecommendationSettingsErrorMessage());
    });
    return page.widget;
}

QWidget *SettingsPages::lookupTrigger(SettingsViewModel &model, std::function<void()> askBadgeNotice)
{
    Page page = makePage(QStringLiteral("查词触发"));
    auto *badge = new QCheckBox(QStringLiteral("开启划词浮标"), page.widget);
    page.layout->addWidget(badge);
    page.layout->addWidget(note(QStringLiteral("开启后，在其它 App 中选中英文并松开鼠标，会显示查词浮标。点击浮标查词时，"
                                               "选中文本会发送给当前配置的 AI 服务。此功能需要 X 服务器的 RECORD 扩展。"),
                                page.widget));
    auto *hotkey = new QCheckBox(page.widget);
    page.layout->addWidget(hotkey);
    auto *form = new QFormLayout;
    auto *shortcut = new QKeySequenceEdit(page.widget);
    shortcut->setObjectName(QStringLiteral("globalShortcut"));
    form->addRow(QStringLiteral("快捷键"), shortcut);
    page.layout->addLayout(form);
    page.layout->addWidget(note(QStringLiteral("Alt+D 在浏览器中是地址栏快捷键、在终端里是删除单词，可换成不冲突的组合，例如 Ctrl+Alt+D。"),
                                page.widget));
    auto *error = errorLine(page.widget);
    page.layout->addWidget(error);
    QCheckBox *launch = nullptr;
    if (model.launchAtLoginAvailable()) {
        launch = new QCheckBox(QStringLiteral("登录时启动"), page.widget);
        page.layout->addWidget(launch);
        QObject::connect(launch, &QCheckBox::toggled, page.widget, [&model](bool on) { model.setLaunchAtLoginEnabled(on); });
    }
    page.layout->addStretch();

    QObject::connect(badge, &QCheckBox::toggled, page.widget, [&model, askBadgeNotice](bool on) {
        if (model.shouldShowSelectionBadgePrivacyNotice(on))
            askBadgeNotice();
        else
            model.setSelectionBadgeEnabled(on);
    });
    QObject::connect(hotkey, &QCheckBox::toggled, page.widget, [&model](bool on) { model.setOptionDHotkeyEnabled(on); });
    QObject::connect(shortcut, &QKeySequenceEdit::editingFinished, page.widget, [&model, shortcut] {
        const QKeySequence sequence = shortcut->keySequence();
        if (!sequence.isEmpty())
            model.setGlobalShortcut(QKeySequence(sequence[0]).toString(QKeySequence::PortableText));
    });
    follow(model, page.widget, [=, &model] {
        setChecked(badge, model.selectionBadgeEnabled());
        setChecked(hotkey, model.optionDHotkeyEnabled());
        hotkey->setText(QStringLiteral("开启 %1 快捷键查词").arg(model.globalShortcut()));
        const QKeySequence stored(QString(model.globalShortcut()).replace(QStringLiteral("Super"), QStringLiteral("Meta")),
                                  QKeySequence::PortableText);
        if (shortcut->keySequence() != stored) {
            const QSignalBlocker block(shortcut);
            shortcut->setKeySequence(stored);
        }
        showMessage(error, model.lookupTriggerErrorMessage());
        if (launch)
            setChecked(launch, model.launchAtLoginEnabled());
    });
    return page.widget;
}
