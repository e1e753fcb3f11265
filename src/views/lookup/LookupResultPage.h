#pragma once

#include "collection/LearningItemType.h"
#include "lookup/LookupResultDisplaySection.h"
#include "lookup/LookupResultSource.h"
#include "viewmodels/lookup/LookupSaveStateController.h"
#include "viewmodels/pronunciation/PronunciationPlaybackController.h"

#include <QScrollArea>
#include <QTimer>

#include <chrono>

class QLabel;
class LookupExplanationSectionsView;
class LookupTextField;
class SymbolButton;
class SymbolLabel;

// An answer: the editable text, where the answer comes from, the source switch, the
// pronounce, save and copy buttons, and the explanation. A quick answer shows a notice that
// the full one is on its way instead of those buttons.
class LookupResultPage : public QScrollArea {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kCopyFeedbackDuration{2000};

    explicit LookupResultPage(QWidget *parent = nullptr);

    // Puts the text in the field and scrolls back to the top.
    void setText(const QString &text);
    // `isFinal` for a full answer or a dictionary entry; `canSave` when there is a collection.
    void showResult(LookupResultSource source, LearningItemType itemType,
                    const QList<LookupResultDisplaySection> &sections, bool isFinal, bool canSave,
                    bool canPronounce = false);
    // The save button for the save state; a non-empty message shows under the buttons.
    void showSaveState(const LookupSaveStateController::ButtonAppearance &appearance, const QString &message);
    void showPronunciationState(const PronunciationPlaybackController::ButtonAppearance &appearance, bool enabled);
    // "已复制" beside the buttons until a while after the last copy.
    void showCopyFeedback();

    LookupTextField *textField() const { return m_field; }
    SymbolButton *sourceToggleButton() const { return m_sourceToggleButton; }
    SymbolButton *pronounceButton() const { return m_pronounceButton; }
    SymbolButton *saveButton() const { return m_saveButton; }
    SymbolButton *copyButton() const { return m_copyButton; }
    LookupExplanationSectionsView *sectionsView() const { return m_sectionsView; }

signals:
    void submitted(const QString &currentText);
    void sourceToggleClicked();
    void pronounceClicked();
    void saveClicked();
    void copyClicked();

private:
    LookupTextField *m_field;
    SymbolLabel *m_metadataLabel;
    QLabel *m_copyFeedbackLabel;
    SymbolButton *m_sourceToggleButton;
    SymbolButton *m_pronounceButton;
    SymbolButton *m_saveButton;
    SymbolButton *m_copyButton;
    QWidget *m_detailNotice;
    QLabel *m_saveMessage;
    LookupExplanationSectionsView *m_sectionsView;
    QTimer m_copyFeedbackTimer;
};
