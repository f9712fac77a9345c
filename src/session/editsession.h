#pragma once

#include "editorstate.h"
#include "steptablemodel.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

namespace Klv {

class RecoveryCopy;
struct RecoveredProgram;

// What an operation has to tell the user, for the front end to put into words.
enum class EditMessage {
    None,
    DoubleBitCondition, // both bit conditions are set
    SameKey,            // the key is in the table already, or other inputs are masked
    TableFull,          // 128 steps already
    KeyCannotChange,    // Update would give the step another key
    OutOfRange,         // a click on a row without a step
    WrongFile,          // not a settings file, or more steps than the table holds
    Unreadable,         // the file could not be read
    NothingToSave,      // an empty table is never saved
    SaveFailed,         // the file could not be written; the old one is as it was
};

// Slots first to first + count - 1, whose grid rows show something else now.
struct SlotRange
{
    int first = 0;
    int count = 0;
    bool isEmpty() const { return count == 0; }
    friend bool operator==(const SlotRange &, const SlotRange &) = default;
};

// What an operation did, for the window to show.
struct EditResult
{
    EditMessage message = EditMessage::None;
    // The values to put into the editor, when the operation changed them.
    std::optional<EditorState> editor;
    SlotRange changedSlots;
    // A paste refused: the step, counted from 0, that met the refusal.
    std::optional<int> refusedStep;
};

// A change of the table as undo and redo name it.
struct ChangeName
{
    enum class Kind { Add, Update, Remove, Clear, Open, Restore, Paste };
    Kind kind = Kind::Add;
    int slot = 0;     // the step added, updated or removed; for a paste, how many were added
    QString fileName; // the file opened or restored, without its folder; may be empty
    friend bool operator==(const ChangeName &, const ChangeName &) = default;
};

// One technician's editing session: the program's steps and everything the editing rules keep
// beside them, without a widget. The window reads its editor into an EditorState, calls one
// operation and shows what it returns; the grid, the greyed key options, the title and undo
// follow the session.
//
// Two slots matter besides the steps: the selected slot, which Update writes to (the last step
// taken into the editor, none at first), and the current slot, which Delete acts on and which
// the grid highlights (the last slot at first, as the grid's preparation leaves it). Neither
// follows the steps when they move.
class EditSession : public QObject
{
    Q_OBJECT
public:
    // Changes kept for undo; a technician's session rarely comes near it.
    static constexpr int UndoLimit = 1000;

    explicit EditSession(QObject *parent = nullptr);
    ~EditSession() override;

    // The steps, and the model the grid shows them through.
    const StepTable &table() const { return m_model->table(); }
    StepTableModel *model() const { return m_model; }

    // Adds the editor's step. Refused, in this order, with both bit conditions, a key the table
    // has or other masked inputs, a full table; an added step and a full table grey the wires
    // the table masks. The editor's step becomes the working step either way.
    EditResult add(const EditorState &editor);
    // Writes the editor's step over the selected slot, unless both bit conditions are set or the
    // key differs from the slot's, which puts the slot's key back into the editor beside the
    // working step's other values. Nothing happens before a step was selected.
    EditResult update(const EditorState &editor);
    // Removes the step in the current slot, closing the gap; the wires no step masks any more
    // come back, and the slot after the last step becomes the current one.
    EditResult remove(const EditorState &editor);
    // Empties the table; every wire comes back and the first slot becomes the current one.
    EditResult clear(const EditorState &editor);
    // Adds the steps one after another, each as Add takes it from the editor (the same refusals
    // in the same order, the same wires greyed), as one change: all of them, or at the first
    // refusal none. The editor and the working step stay as they are.
    EditResult paste(const QList<EditorState> &steps, const EditorState &editor);
    // A click on a step's row (slot) or on the header lines (no slot): the step goes into the
    // editor and becomes the working and the selected step, a row without one first refused
    // and slot 0 taken instead. A step row becomes the current one; it is highlighted.
    EditResult select(std::optional<int> slot);

    // Opens a settings file: the whole file is checked before anything changes; a refused one
    // leaves everything as it was. Opened, it replaces the table as Clear would, greys nothing,
    // and is the session's file, saved.
    EditResult open(const QString &path, const EditorState &editor);
    // Opens what a crash left, as unsaved steps from the file they came from.
    EditResult restore(const RecoveredProgram &program, const EditorState &editor);
    // Writes the steps to path, which becomes the session's file; an empty table is refused.
    EditResult save(const QString &path);
    // Whether there are steps to save.
    bool canSave() const { return !table().isEmpty(); }

    // Undo puts back the steps, the greyed wires, the slots and the editor as they were before
    // the change, and for a change that opened a program its file; redo as they were after.
    EditResult undo();
    EditResult redo();
    bool canUndo() const;
    bool canRedo() const;
    std::optional<ChangeName> undoName() const;
    std::optional<ChangeName> redoName() const;

    // While steps are sent, nothing changes the table: the operations that would are refused
    // and undo and redo are not offered.
    void setSending(bool sending);
    bool isSending() const { return m_sending; }

    std::optional<int> selectedSlot() const { return m_selectedSlot; }
    int currentSlot() const { return m_currentSlot; }
    bool isCurrentRowHighlighted() const { return m_highlighted; }
    // The step in the highlighted row, which copy takes; none when that row holds no step.
    std::optional<int> highlightedStep() const
    {
        return m_highlighted && m_currentSlot < table().count() ? std::optional(m_currentSlot)
                                                                : std::nullopt;
    }
    // Wires 1 to 6 (bit w - 1 for wire w) whose key options are greyed.
    int lockedWires() const { return m_lockedWires; }
    // The step the editor was last loaded with, or that Add or Update last took from it.
    const Step &workStep() const { return m_workStep; }
    // The settings file the steps came from or went to; empty for a new program.
    QString file() const { return m_file; }
    // Whether the steps in use differ from those last loaded or saved.
    bool isModified() const;

    // From now on copy keeps the steps while they are modified and not empty, and drops them
    // otherwise.
    void keepRecoveryCopy(RecoveryCopy *copy);

signals:
    // Something the window shows has changed: the steps, a slot, the greyed wires, the file,
    // whether it is saved, or what undo and redo offer.
    void changed();

private:
    struct State
    {
        StepTable table;
        int lockedWires = 0;
        std::optional<int> selectedSlot;
        int currentSlot = StepTable::MaxSteps - 1;
        bool highlighted = false;
        Step workStep;
        EditorState editor;
        QString file;
        QList<Step> savedSteps;
    };
    struct Change
    {
        ChangeName name;
        State before;
        State after;
        bool opensProgram = false; // undo and redo take the file along
    };

    State state(const EditorState &editor) const;
    void apply(const State &state, bool withFile);
    // Puts the change since before on the undo stack when it changed the steps in use, or, for
    // one that opened a program, its file or saved steps.
    void record(const State &before, const ChangeName &name, const EditorState &editor,
                bool opensProgram = false);
    // Opens steps as Load does, after Clear's emptying.
    void replaceSteps(const QList<Step> &steps);
    void updateRecoveryCopy();
    EditResult changedFrom(int countBefore) const;

    StepTableModel *m_model;
    std::optional<int> m_selectedSlot;
    int m_currentSlot = StepTable::MaxSteps - 1;
    bool m_highlighted = false;
    int m_lockedWires = 0;
    Step m_workStep;
    QString m_file;
    QList<Step> m_savedSteps;
    bool m_sending = false;

    std::vector<Change> m_changes;
    std::size_t m_undone = 0; // changes at the end of m_changes that undo has taken back
    RecoveryCopy *m_recovery = nullptr;
};

} // namespace Klv
