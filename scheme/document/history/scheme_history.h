#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <cstddef>
#include <memory>
#include <span>

#include "scheme/model/persistent.h"
#include "scheme/platform/export.h"

class QAction;

namespace scheme {

class TSchemeData;
class TSchemeObject;

// A short description of an object for the names of undo steps: its caption's first line, or
// its kind and Id ("Shape 4").
SCHEME_EXPORT QString DescribeObject(const TSchemeObject& Obj);
// The name of a step that did Verb to Objects: "Verb DESCRIPTION" for one, "Verb 3 objects" for
// more.
SCHEME_EXPORT QString DescribeObjects(const QString& Verb, std::span<TSchemeObject* const> Objects);

namespace history {
class TRecorder;
class TRefs;
}  // namespace history

// A document's undo history: every change that the document's change channel announces
// becomes undoable once the history is enabled. Changes made between two turns of the event
// loop (or between the outermost BeginGroup and EndGroup) form one step; a step holds the
// records of what it changed before and after, never a copy of the document. Undo and redo
// give the document's text back byte for byte; objects that stay in the document keep their
// address, Id and place.
//
// What the history cannot see it does not pretend to undo: an object freed with delete
// instead of through its layer or document (ObjectDelete, TSchemeLayer::Delete, Clear), or a
// link freed with delete instead of LinkDelete, ends the history (everything before that
// point is forgotten). Loads and LayerClear start a new history; saving to a file or stream
// marks the clean point.
class SCHEME_EXPORT TSchemeHistory : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultStepLimit = 1000;
    static constexpr size_t kDefaultMemoryLimit = size_t(64) << 20;

    explicit TSchemeHistory(TSchemeData& Data);
    ~TSchemeHistory() override;

    // Off by default; turning it off forgets every step.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);

    // Groups every change until the matching EndGroup into one step named Name (an outer
    // group's name wins). Groups nest; an empty group leaves no step.
    void BeginGroup(const QString& Name);
    void EndGroup();
    // BeginGroup for a gesture the user may cancel: its changes are recorded even while the
    // history is off, so that RevertGroup can take them back.
    void BeginRevertibleGroup(const QString& Name);
    // Takes back every change of the open outermost group so far and forgets them; the group
    // stays open. Nothing happens outside a group.
    void RevertGroup();
    // Renames the open group's step (say, after the object it has just created).
    void SetGroupName(const QString& Name);
    // Closes the open step now, outside any group: what was changed so far becomes a step.
    void Flush();

    // False while a group is open (Undo and Redo do nothing then).
    bool CanUndo();
    bool CanRedo();
    QString UndoText();
    QString RedoText();
    void Undo();
    void Redo();
    int Count() const { return FStack.count(); }
    int Index() const { return FStack.index(); }
    // Forgets every step; the document counts as modified unless AClean.
    void Clear(bool AClean);
    // The document as it is now is its saved state.
    void SetClean();
    // No state the history reaches is the saved one any more.
    void ResetClean();
    // Whether the document differs from its clean state (a change after undoing past the clean
    // point never reaches it again).
    bool IsClean();
    // Actions for menus, kept up to date: "Undo NAME" / "Redo NAME", disabled when there is
    // nothing to undo or redo. An error of a step goes to the application's error handler.
    QAction* CreateUndoAction(QObject* Parent);
    QAction* CreateRedoAction(QObject* Parent);

    // The oldest steps are dropped beyond these: a number of steps, and the bytes the steps
    // hold (at least the newest step is always kept).
    int StepLimit() const { return FStepLimit; }
    void SetStepLimit(int Value);
    size_t MemoryLimit() const { return FMemoryLimit; }
    void SetMemoryLimit(size_t Value);
    // The bytes the steps hold now.
    size_t MemoryUse() const { return FMemoryUse; }

    // The change channel: called by the document for every notice, before it acts on it and
    // once it has.
    void Notice(const TSchemeNotice& Notice);
    void NoticeDone(const TSchemeNotice& Notice);
    // True while the history itself changes the document (undo, redo).
    bool Replaying() const { return FReplaying; }

signals:
    void CleanChanged(bool Clean);
    void IndexChanged(int Index);

private:
    class TCommand;
    friend class TCommand;
    void Push(std::unique_ptr<history::TRecorder> Step);
    void Trim();
    void Replay(TCommand& Command, bool Forward);
    void PostFlush();
    void Forget();
    // Whether notices are recorded now.
    bool Recording() const { return (FEnabled || FRevertible) && !FReplaying && !FIgnoring; }

    TSchemeData& FData;
    std::unique_ptr<history::TRefs> FRefs;
    QUndoStack FStack;
    std::unique_ptr<history::TRecorder> FOpen;
    bool FEnabled = false;
    bool FReplaying = false;
    bool FFlushPosted = false;
    bool FRebuilding = false;
    int FDepth = 0;
    // The outermost group is revertible.
    bool FRevertible = false;
    // Notices being handled, and whether the outermost one made the history end: what follows
    // from it is not recorded.
    int FNotices = 0;
    bool FIgnoring = false;
    QString FGroupName;
    int FStepLimit = kDefaultStepLimit;
    size_t FMemoryLimit = kDefaultMemoryLimit;
    size_t FMemoryUse = 0;
    // The clean state is lost for good (the document changed while no history was kept).
    bool FNeverClean = false;
};

// Groups the changes of its lifetime into one step of the document's history.
class SCHEME_EXPORT TSchemeHistoryGroup {
public:
    TSchemeHistoryGroup(TSchemeData& Data, const QString& Name);
    ~TSchemeHistoryGroup();
    TSchemeHistoryGroup(const TSchemeHistoryGroup&) = delete;
    TSchemeHistoryGroup& operator=(const TSchemeHistoryGroup&) = delete;

private:
    TSchemeHistory& FHistory;
};

}  // namespace scheme
