#include "scheme/document/history/scheme_history.h"

#include <QAction>
#include <QMetaObject>
#include <QUndoCommand>

#include "scheme/document/history/history_step.h"
#include "scheme/document/scheme_data.h"
#include "scheme/platform/error_handler.h"

namespace scheme {

// A finished step on the stack. Its first redo is the change that has just happened.
class TSchemeHistory::TCommand : public QUndoCommand {
public:
    TCommand(TSchemeHistory& History, std::unique_ptr<history::TRecorder> Step, const QString& Name)
        : QUndoCommand(Name), FHistory(History), FStep(std::move(Step)) {}

    void undo() override { FHistory.Replay(*this, false); }
    void redo() override {
        if (std::exchange(FDone, false)) return;
        FHistory.Replay(*this, true);
    }
    size_t Bytes() const { return FStep->Bytes() + sizeof(*this) + size_t(text().size()) * 2; }
    history::TRecorder& Step() { return *FStep; }
    // Taken over by a new command when the stack is rebuilt.
    std::unique_ptr<history::TRecorder> Take() { return std::move(FStep); }
    void SetDone() { FDone = true; }

private:
    TSchemeHistory& FHistory;
    std::unique_ptr<history::TRecorder> FStep;
    bool FDone = true;
};

TSchemeHistory::TSchemeHistory(TSchemeData& Data)
    : FData(Data), FRefs(std::make_unique<history::TRefs>()) {
    FStack.setUndoLimit(FStepLimit);
    connect(&FStack, &QUndoStack::cleanChanged, this, [this](bool Clean) {
        if (!FRebuilding) emit CleanChanged(Clean && !FNeverClean);
    });
    connect(&FStack, &QUndoStack::indexChanged, this, [this](int Index) {
        if (!FRebuilding) emit IndexChanged(Index);
    });
}

TSchemeHistory::~TSchemeHistory() {
    FOpen.reset();
    FRebuilding = true;
    FStack.clear();
}

// The modified state carries over both ways: a history started on a changed document has no
// clean state to reach, and a document whose history stops keeps what the history said.
void TSchemeHistory::SetEnabled(bool Value) {
    if (Value == FEnabled) return;
    const bool WasModified = FData.Modified();
    FEnabled = Value;
    Forget();
    FNeverClean = Value && WasModified;
    if (!Value) FData.SetModified(WasModified);
}

void TSchemeHistory::Forget() {
    FOpen.reset();
    FRebuilding = true;
    FStack.clear();
    FRebuilding = false;
    FMemoryUse = 0;
    FRefs->Clear();
    emit IndexChanged(0);
}

void TSchemeHistory::Clear(bool AClean) {
    const bool WasClean = IsClean();
    Forget();
    FNeverClean = !AClean;
    if (WasClean != IsClean()) emit CleanChanged(IsClean());
}

// ---- recording -----------------------------------------------------------------------------

void TSchemeHistory::Notice(const TSchemeNotice& Notice) {
    ++FNotices;
    if (!Recording()) return;
    if (Notice.Kind == TSchemeNoticeKind::Changed) return;
    if (!FOpen) {
        FOpen = std::make_unique<history::TRecorder>(FData, *FRefs);
        PostFlush();
    }
    if (!FOpen->Notice(Notice)) {
        // A change no step can take back: what came before it can no longer be undone either.
        const bool WasClean = IsClean();
        Forget();
        FNeverClean = true;
        FIgnoring = true;
        if (WasClean) emit CleanChanged(false);
    }
}

void TSchemeHistory::NoticeDone(const TSchemeNotice& Notice) {
    if (--FNotices == 0) FIgnoring = false;
    if (Recording() && FOpen) FOpen->NoticeDone(Notice);
}

void TSchemeHistory::PostFlush() {
    if (FDepth > 0 || FFlushPosted) return;
    FFlushPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FFlushPosted = false;
            if (FDepth == 0) Flush();
        },
        Qt::QueuedConnection);
}

void TSchemeHistory::BeginGroup(const QString& Name) {
    if (FDepth == 0) {
        Flush();  // what came before the group is a step of its own
        FGroupName = Name;
    }
    ++FDepth;
}

void TSchemeHistory::BeginRevertibleGroup(const QString& Name) {
    BeginGroup(Name);
    if (FDepth == 1) FRevertible = true;
}

void TSchemeHistory::RevertGroup() {
    if (FDepth == 0 || !FOpen) return;
    std::unique_ptr<history::TRecorder> Step = std::move(FOpen);
    Step->Finish();
    FReplaying = true;
    try {
        Step->Undo();
    } catch (...) {
        FReplaying = false;
        throw;
    }
    FReplaying = false;
}

void TSchemeHistory::SetGroupName(const QString& Name) {
    if (FDepth > 0) FGroupName = Name;
}

void TSchemeHistory::EndGroup() {
    if (FDepth == 0) return;
    if (--FDepth == 0) {
        if (FOpen) FOpen->Name = FGroupName;
        FGroupName.clear();
        // A revertible group recorded for itself alone while the history is off.
        if (std::exchange(FRevertible, false) && !FEnabled) {
            FOpen.reset();
            FRefs->Clear();
        }
        Flush();
    }
}

// A step never closes in the middle of a notice (a gesture that ends because its object
// leaves): what the document does about the notice still belongs to it.
void TSchemeHistory::Flush() {
    if (FDepth > 0 || !FOpen) return;
    if (FNotices > 0) {
        PostFlush();
        return;
    }
    std::unique_ptr<history::TRecorder> Step = std::move(FOpen);
    Step->Finish();
    if (Step->Empty()) return;
    Push(std::move(Step));
}

void TSchemeHistory::Push(std::unique_ptr<history::TRecorder> Step) {
    const QString Name = Step->Name.isEmpty() ? Step->DefaultName() : Step->Name;
    auto Command = std::make_unique<TCommand>(*this, std::move(Step), Name);
    // The steps above the index go with the push.
    for (int I = FStack.index(); I < FStack.count(); ++I)
        FMemoryUse -= static_cast<const TCommand*>(FStack.command(I))->Bytes();
    FMemoryUse += Command->Bytes();
    const int Before = FStack.count();
    FStack.push(Command.release());
    if (FStack.count() == Before && Before == FStepLimit) {
        // The stack dropped its oldest step to stay within the limit: count again.
        FMemoryUse = 0;
        for (int I = 0; I < FStack.count(); ++I)
            FMemoryUse += static_cast<const TCommand*>(FStack.command(I))->Bytes();
    }
    if (FMemoryUse > FMemoryLimit) Trim();
}

// Drops the oldest steps until the rest fit in the memory limit. The stack cannot drop single
// steps, so it is built again from the steps that stay, without replaying them.
void TSchemeHistory::Trim() {
    const int Count = FStack.count();
    // Steps that can be redone wait for the next push, which drops them anyway.
    if (FStack.index() != Count) return;
    int First = 0;
    size_t Use = FMemoryUse;
    while (First < Count - 1 && Use > FMemoryLimit)
        Use -= static_cast<const TCommand*>(FStack.command(First++))->Bytes();
    if (First == 0) return;
    const int CleanIndex = FStack.cleanIndex();
    std::vector<std::pair<std::unique_ptr<history::TRecorder>, QString>> Kept;
    for (int I = First; I < Count; ++I) {
        auto* Command = const_cast<TCommand*>(static_cast<const TCommand*>(FStack.command(I)));
        Kept.emplace_back(Command->Take(), Command->text());
    }
    FRebuilding = true;
    FStack.clear();
    if (CleanIndex < First) FStack.resetClean();
    for (auto& [Step, Name] : Kept) {
        auto* Command = new TCommand(*this, std::move(Step), Name);
        FStack.push(Command);
        if (FStack.index() == CleanIndex - First) FStack.setClean();
    }
    FRebuilding = false;
    FMemoryUse = Use;
}

// ---- replaying -----------------------------------------------------------------------------

void TSchemeHistory::Replay(TCommand& Command, bool Forward) {
    FReplaying = true;
    try {
        if (Forward)
            Command.Step().Redo();
        else
            Command.Step().Undo();
    } catch (...) {
        FReplaying = false;
        throw;
    }
    FReplaying = false;
}

// Nothing can be undone or redone while a group is open: a gesture is under way.
bool TSchemeHistory::CanUndo() {
    Flush();
    return FDepth == 0 && FStack.canUndo();
}

bool TSchemeHistory::CanRedo() {
    Flush();
    return FDepth == 0 && FStack.canRedo();
}

QString TSchemeHistory::UndoText() {
    Flush();
    return FStack.undoText();
}

QString TSchemeHistory::RedoText() {
    Flush();
    return FStack.redoText();
}

void TSchemeHistory::Undo() {
    if (FDepth > 0) return;
    Flush();
    FStack.undo();
}

void TSchemeHistory::Redo() {
    if (FDepth > 0) return;
    Flush();
    FStack.redo();
}

void TSchemeHistory::SetClean() {
    Flush();
    const bool WasClean = IsClean();
    FNeverClean = false;
    FStack.setClean();
    if (!WasClean) emit CleanChanged(true);
}

void TSchemeHistory::ResetClean() {
    const bool WasClean = IsClean();
    FNeverClean = true;
    if (WasClean) emit CleanChanged(false);
}

// Asking closes no step: an open step with changes counts as a change already.
bool TSchemeHistory::IsClean() {
    return FStack.isClean() && !FNeverClean && !(FOpen && FOpen->Touched());
}

void TSchemeHistory::SetStepLimit(int Value) {
    FStepLimit = std::max(Value, 1);
    if (FStack.count() == 0) FStack.setUndoLimit(FStepLimit);
}

void TSchemeHistory::SetMemoryLimit(size_t Value) {
    FMemoryLimit = Value;
    if (FMemoryUse > FMemoryLimit) Trim();
}

namespace {
QAction* StepAction(TSchemeHistory& History, QObject* Parent, const QString& Verb, bool Undo) {
    auto* Action = new QAction(Verb, Parent);
    auto Refresh = [&History, Action, Verb, Undo] {
        const bool Can = Undo ? History.CanUndo() : History.CanRedo();
        const QString Name = Undo ? History.UndoText() : History.RedoText();
        Action->setEnabled(Can);
        Action->setText(Can && !Name.isEmpty() ? Verb + QLatin1Char(' ') + Name : Verb);
    };
    QObject::connect(&History, &TSchemeHistory::IndexChanged, Action, Refresh);
    QObject::connect(&History, &TSchemeHistory::CleanChanged, Action, Refresh);
    // A step that fails part-way must not carry its error into the event loop.
    QObject::connect(Action, &QAction::triggered, &History, [&History, Undo] {
        RunGuarded([&] {
            if (Undo)
                History.Undo();
            else
                History.Redo();
        });
    });
    Refresh();
    return Action;
}
}  // namespace

QAction* TSchemeHistory::CreateUndoAction(QObject* Parent) {
    return StepAction(*this, Parent, tr("Undo"), true);
}

QAction* TSchemeHistory::CreateRedoAction(QObject* Parent) {
    return StepAction(*this, Parent, tr("Redo"), false);
}

// ---- groups --------------------------------------------------------------------------------

TSchemeHistoryGroup::TSchemeHistoryGroup(TSchemeData& Data, const QString& Name)
    : FHistory(Data.History()) {
    FHistory.BeginGroup(Name);
}

TSchemeHistoryGroup::~TSchemeHistoryGroup() {
    FHistory.EndGroup();
}

}  // namespace scheme
