#include "editsession.h"

#include "recoverycopy.h"
#include "settingsfile.h"
#include "steprules.h"

#include <QFileInfo>

#include <algorithm>

namespace Klv {

namespace {

bool sameSteps(std::span<const Step> a, std::span<const Step> b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

EditMessage addRefusal(AddResult result)
{
    switch (result) {
    case AddResult::DoubleBitCondition:
        return EditMessage::DoubleBitCondition;
    case AddResult::SameKey:
        return EditMessage::SameKey;
    case AddResult::TableFull:
        return EditMessage::TableFull;
    case AddResult::Added:
        break;
    }
    return EditMessage::None;
}

// What an operation that changed no row tells.
EditResult told(EditMessage message, std::optional<EditorState> editor = std::nullopt)
{
    EditResult result;
    result.message = message;
    result.editor = std::move(editor);
    return result;
}

} // namespace

EditSession::EditSession(QObject *parent) : QObject(parent), m_model(new StepTableModel(this)) {}

EditSession::~EditSession() = default;

EditResult EditSession::add(const EditorState &editor)
{
    if (m_sending)
        return {};
    const State before = state(editor);
    const Step edited = encodeStep(editor);
    m_workStep = edited;
    const AddResult added = m_model->add(edited);
    // Add only ever greys: the wires it masks can no longer be set otherwise.
    if (added == AddResult::Added || added == AddResult::TableFull)
        m_lockedWires |= maskedWires(table());
    if (added == AddResult::Added) {
        const auto steps = table().steps();
        const int slot = int(std::find(steps.begin(), steps.end(), edited) - steps.begin());
        record(before, {ChangeName::Kind::Add, slot, {}}, editor);
    } else {
        emit changed();
    }
    EditResult result = changedFrom(before.table.count());
    result.message = addRefusal(added);
    return result;
}

EditResult EditSession::paste(const QList<EditorState> &steps, const EditorState &editor)
{
    if (m_sending)
        return {};
    const State before = state(editor);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const AddResult added = m_model->add(encodeStep(steps[i]));
        if (added == AddResult::Added) {
            m_lockedWires |= maskedWires(table());
            continue;
        }
        m_model->setTable(before.table);
        m_lockedWires = before.lockedWires;
        EditResult refused;
        refused.message = addRefusal(added);
        refused.refusedStep = int(i);
        return refused;
    }
    record(before, {ChangeName::Kind::Paste, int(steps.size()), {}}, editor);
    return changedFrom(before.table.count());
}

EditResult EditSession::update(const EditorState &editor)
{
    if (m_sending || !m_selectedSlot)
        return {};
    const int slot = *m_selectedSlot;
    const State before = state(editor);
    const Step edited = encodeStep(editor);
    switch (m_model->update(slot, edited)) {
    case UpdateResult::Updated: {
        m_workStep = edited;
        record(before, {ChangeName::Kind::Update, slot, {}}, editor);
        EditResult result;
        result.changedSlots = {0, qMax(table().count(), slot + 1)};
        return result;
    }
    case UpdateResult::DoubleBitCondition:
        return told(EditMessage::DoubleBitCondition);
    case UpdateResult::KeyChanged:
        break;
    }
    // The stored key comes back with the other values of the working step, so slider moves
    // since the step was last taken into the editor are undone too.
    const Step &stored = table().slot(slot);
    m_workStep.keyData = stored.keyData;
    m_workStep.keyMask = stored.keyMask;
    m_workStep.controlBits = stored.controlBits;
    m_workStep = stepAsShownInEditor(m_workStep);
    emit changed();
    return told(EditMessage::KeyCannotChange, editorForStep(m_workStep));
}

EditResult EditSession::remove(const EditorState &editor)
{
    if (m_sending)
        return {};
    const State before = state(editor);
    const int slot = m_currentSlot;
    if (!m_model->remove(slot))
        return {};
    m_lockedWires = maskedWires(table());
    // The row of the former last step, emptied now, is the current one: a second Delete without
    // a new click does nothing. The table holds at most 127 steps here, so the row exists.
    m_currentSlot = table().count();
    m_highlighted = true;
    record(before, {ChangeName::Kind::Remove, slot, {}}, editor);
    return changedFrom(before.table.count());
}

EditResult EditSession::clear(const EditorState &editor)
{
    if (m_sending)
        return {};
    const State before = state(editor);
    replaceSteps({});
    record(before, {ChangeName::Kind::Clear, 0, {}}, editor);
    return changedFrom(before.table.count());
}

EditResult EditSession::select(std::optional<int> slot)
{
    if (slot)
        m_currentSlot = *slot;
    m_highlighted = true;
    const ClickedStep clicked = stepForGridClick(table(), slot);
    m_selectedSlot = clicked.slot;
    m_workStep = stepAsShownInEditor(table().slot(clicked.slot));
    emit changed();
    return told(clicked.outOfRange ? EditMessage::OutOfRange : EditMessage::None,
                editorForStep(m_workStep));
}

EditResult EditSession::open(const QString &path, const EditorState &editor)
{
    if (m_sending)
        return {};
    // The whole file is checked before anything changes, so a refused file loses nothing.
    const SettingsFileContents file = readSettingsFile(path);
    switch (file.error) {
    case SettingsFileError::WrongFile:
    case SettingsFileError::TooManySteps:
        return told(EditMessage::WrongFile);
    case SettingsFileError::Unreadable:
        return told(EditMessage::Unreadable);
    case SettingsFileError::None:
        break;
    }
    const State before = state(editor);
    replaceSteps(file.steps);
    m_file = path;
    m_savedSteps = table().toList();
    record(before, {ChangeName::Kind::Open, 0, QFileInfo(path).fileName()}, editor, true);
    return changedFrom(before.table.count());
}

EditResult EditSession::restore(const RecoveredProgram &program, const EditorState &editor)
{
    if (m_sending)
        return {};
    // As a file opens, but the steps stay unsaved.
    const State before = state(editor);
    replaceSteps(program.steps);
    m_file = program.origin;
    const QString name =
        program.origin.isEmpty() ? QString() : QFileInfo(program.origin).fileName();
    record(before, {ChangeName::Kind::Restore, 0, name}, editor, true);
    return changedFrom(before.table.count());
}

EditResult EditSession::save(const QString &path)
{
    if (!canSave())
        return told(EditMessage::NothingToSave);
    if (!writeSettingsFile(path, table()))
        return told(EditMessage::SaveFailed);
    m_file = path;
    m_savedSteps = table().toList();
    updateRecoveryCopy();
    emit changed();
    return {};
}

EditResult EditSession::undo()
{
    if (!canUndo())
        return {};
    const int countBefore = table().count();
    const Change &change = m_changes[m_changes.size() - ++m_undone];
    apply(change.before, change.opensProgram);
    EditResult result = changedFrom(countBefore);
    result.editor = change.before.editor;
    return result;
}

EditResult EditSession::redo()
{
    if (!canRedo())
        return {};
    const int countBefore = table().count();
    const Change &change = m_changes[m_changes.size() - m_undone--];
    apply(change.after, change.opensProgram);
    EditResult result = changedFrom(countBefore);
    result.editor = change.after.editor;
    return result;
}

bool EditSession::canUndo() const
{
    return !m_sending && m_undone < m_changes.size();
}

bool EditSession::canRedo() const
{
    return !m_sending && m_undone > 0;
}

std::optional<ChangeName> EditSession::undoName() const
{
    if (m_undone >= m_changes.size())
        return std::nullopt;
    return m_changes[m_changes.size() - m_undone - 1].name;
}

std::optional<ChangeName> EditSession::redoName() const
{
    if (m_undone == 0)
        return std::nullopt;
    return m_changes[m_changes.size() - m_undone].name;
}

void EditSession::setSending(bool sending)
{
    if (sending == m_sending)
        return;
    m_sending = sending;
    emit changed();
}

bool EditSession::isModified() const
{
    return !sameSteps(table().steps(), m_savedSteps);
}

void EditSession::keepRecoveryCopy(RecoveryCopy *copy)
{
    m_recovery = copy;
    updateRecoveryCopy();
}

EditSession::State EditSession::state(const EditorState &editor) const
{
    return {table(),    m_lockedWires, m_selectedSlot, m_currentSlot, m_highlighted,
            m_workStep, editor,        m_file,         m_savedSteps};
}

void EditSession::apply(const State &state, bool withFile)
{
    m_model->setTable(state.table);
    m_lockedWires = state.lockedWires;
    m_selectedSlot = state.selectedSlot;
    m_currentSlot = state.currentSlot;
    m_highlighted = state.highlighted;
    m_workStep = state.workStep;
    // A Save is never taken back: the file and its steps stay, unless the change opened them.
    if (withFile) {
        m_file = state.file;
        m_savedSteps = state.savedSteps;
    }
    updateRecoveryCopy();
    emit changed();
}

void EditSession::record(const State &before, const ChangeName &name, const EditorState &editor,
                         bool opensProgram)
{
    const bool stepsChanged = !sameSteps(before.table.steps(), table().steps());
    const bool fileChanged =
        opensProgram && (before.file != m_file || before.savedSteps != m_savedSteps);
    if (stepsChanged || fileChanged) {
        m_changes.erase(m_changes.end() - std::ptrdiff_t(m_undone), m_changes.end());
        m_undone = 0;
        m_changes.push_back({name, before, state(editor), opensProgram});
        if (m_changes.size() > std::size_t(UndoLimit))
            m_changes.erase(m_changes.begin());
        updateRecoveryCopy();
    }
    emit changed();
}

void EditSession::replaceSteps(const QList<Step> &steps)
{
    // As Clear empties the table: the grid's first row current and highlighted, every wire
    // back; the editor, the selected slot and the working step keep what they hold. A file
    // opened after it greys nothing, whatever its steps mask.
    m_currentSlot = 0;
    m_highlighted = true;
    m_model->clear();
    m_lockedWires = 0;
    if (!steps.isEmpty())
        m_model->load(steps);
}

void EditSession::updateRecoveryCopy()
{
    if (!m_recovery)
        return;
    // An empty table is no program to bring back, and a saved one is on disk already.
    if (isModified() && !table().isEmpty())
        m_recovery->keep(table(), m_file);
    else
        m_recovery->discard();
}

EditResult EditSession::changedFrom(int countBefore) const
{
    EditResult result;
    result.changedSlots = {0, qMax(countBefore, table().count())};
    return result;
}

} // namespace Klv
