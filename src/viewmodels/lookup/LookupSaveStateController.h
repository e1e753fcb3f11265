#pragma once

#include "lookup/LookupResult.h"

#include "viewmodels/common/KindWithMessage.h"

#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <functional>

// Drives the lookup panel's save button: whether the shown result is in the collection,
// the save or remove that a press runs, and the progress and failure in between. It never
// touches the store; the panel hands it the check, save and remove actions.
class LookupSaveStateController : public QObject {
    Q_OBJECT
    Q_PROPERTY(LookupSaveStateController::State state READ state NOTIFY stateChanged)

public:
    enum class StateKind { idle, saving, saved, failed };
    class State : public KindWithMessage<StateKind> {
    public:
        State() = default;
        static State idle() { return State(Kind::idle); }
        static State saving() { return State(Kind::saving); }
        static State saved() { return State(Kind::saved); }
        static State failed(QString message) { return State(Kind::failed, std::move(message)); }

        bool operator==(const State &) const = default;

    private:
        using KindWithMessage::KindWithMessage;
    };

    // What the button draws for a state; `highlighted` means the symbol is tinted yellow
    // at 75 % opacity.
    struct ButtonAppearance {
        QString symbolName;
        QString tooltip;
        bool highlighted = false;

        bool operator==(const ButtonAppearance &) const = default;
    };

    // Actions receive the controller's own copy of the result, which outlives the action.
    // Any of them may throw; a CancellationError is never shown.
    using CheckAction = std::function<QCoro::Task<bool>(const LookupResult &)>;
    using ChangeAction = std::function<QCoro::Task<void>(const LookupResult &)>;

    explicit LookupSaveStateController(QObject *parent = nullptr);

    State state() const { return m_state; }
    ButtonAppearance buttonAppearance() const { return buttonAppearance(m_state); }
    static ButtonAppearance buttonAppearance(const State &state);

    // Re-reads whether the result is saved. Skipped while a save or remove runs, and its
    // answer is dropped if a press started one meanwhile.
    QCoro::Task<void> refresh(LookupResult result, CheckAction checkAction);
    // The button press: removes a saved result, saves any other, ignored while busy.
    QCoro::Task<void> toggle(LookupResult result, ChangeAction saveAction, ChangeAction removeAction);
    // Saves unless the result is already saved or an action is running.
    QCoro::Task<void> save(LookupResult result, ChangeAction action);

signals:
    void stateChanged();

private:
    QCoro::Task<void> remove(LookupResult result, ChangeAction action);
    // Shows `saving`, lets the panel redraw, then runs the action; returns false when the
    // controller went away meanwhile.
    QCoro::Task<bool> startAction();
    void setState(State state);

    State m_state;
    // Bumped by every refresh and every action start, so a check that was overtaken by a
    // newer refresh or by a press cannot overwrite the newer state.
    quint64 m_generation = 0;
};
