#pragma once

#include <QString>
#include <QVBoxLayout>
#include <QWidget>

// What the lookup panel's state pages share: their padding, the symbols of the two sources,
// the source switch's help texts and the text field's placeholder.
namespace LookupPanelPage {

inline constexpr int kPadding = 24;
inline const QString kAISymbol = QStringLiteral("wand.and.stars.inverse");
inline const QString kDictionarySymbol = QStringLiteral("book");
inline const QString kSwitchToDictionaryHelp = QStringLiteral("切换到系统词典");
inline const QString kSwitchToAIHelp = QStringLiteral("切换到 AI 查词");
inline const QString kPlaceholder = QStringLiteral("输入后按回车查词");

// A column whose few items sit together in the middle of the page, as a status screen; the
// caller adds its items, then a closing stretch.
inline QVBoxLayout *centredColumn(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(10);
    layout->addStretch(1);
    return layout;
}

} // namespace LookupPanelPage
