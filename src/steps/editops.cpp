#include "editops.h"

#include "steprules.h"

namespace {

constexpr int BitConditions = ControlBit::BitIncrease | ControlBit::BitDecrease;

} // namespace

namespace EditMessage {
QString doubleBitCondition()
{
    return QStringLiteral("ビット増減判定のチェックは１つのみです。");
}
QString sameKey()
{
    return QStringLiteral("同じキーが存在します。");
}
QString tableFull()
{
    return QStringLiteral("パラメータステップがいっぱいです。");
}
QString keyUnchangeable()
{
    return QStringLiteral("キーは変更できません。");
}
QString outOfRange()
{
    return QStringLiteral("レンジ外です。");
}
} // namespace EditMessage

AddResult addStep(StepTable &table, const Step &candidate)
{
    if ((candidate.ControlBits & BitConditions) == BitConditions)
        return AddResult::DoubleBitCondition;
    if (conflictsWithTableKeys(table, candidate))
        return AddResult::SameKey;
    if (table.StepCount >= StepTable::MaxSteps)
        return AddResult::TableFull;
    table[table.StepCount] = candidate;
    ++table.StepCount;
    return AddResult::Added;
}

QString addMessage(AddResult result)
{
    switch (result) {
    case AddResult::DoubleBitCondition:
        return EditMessage::doubleBitCondition();
    case AddResult::SameKey:
        return EditMessage::sameKey();
    case AddResult::TableFull:
        return EditMessage::tableFull();
    case AddResult::Added:
        break;
    }
    return {};
}

UpdateOutcome updateStep(StepTable &table, int slot, const EditorState &editor,
                         const Step &workStep)
{
    UpdateOutcome outcome{UpdateResult::Updated, workStep};
    const StepKey key = encodeKey(editor);
    outcome.workStep.KeyData = key.KeyData;
    outcome.workStep.KeyMask = key.KeyMask;
    if (editor.bitIncrease == 1 && editor.bitDecrease == 1) {
        outcome.result = UpdateResult::DoubleBitCondition;
        return outcome;
    }

    Step &stored = table[slot];
    const int editedBits = (editor.bitIncrease == 1 ? ControlBit::BitIncrease : 0) |
                           (editor.bitDecrease == 1 ? ControlBit::BitDecrease : 0);
    const bool keyChanged = key.KeyMask != stored.KeyMask || key.KeyData != stored.KeyData ||
                            editedBits != (stored.ControlBits & BitConditions);
    if (keyChanged) {
        outcome.workStep.KeyData = stored.KeyData;
        outcome.workStep.KeyMask = stored.KeyMask;
        outcome.workStep.ControlBits = stored.ControlBits;
        outcome.result = UpdateResult::KeyChanged;
        return outcome;
    }
    outcome.workStep = encodeStep(editor);
    stored = outcome.workStep;
    return outcome;
}

QString updateMessage(UpdateResult result)
{
    switch (result) {
    case UpdateResult::DoubleBitCondition:
        return EditMessage::doubleBitCondition();
    case UpdateResult::KeyChanged:
        return EditMessage::keyUnchangeable();
    case UpdateResult::Updated:
        break;
    }
    return {};
}

bool deleteStep(StepTable &table, int slot)
{
    if (slot < 0 || slot >= table.StepCount)
        return false;
    // The last pass copies down the slot just past the steps; the bound keeps every pass inside
    // the table's slots.
    for (int i = slot; i < table.StepCount && i + 1 < StepTable::SlotCount; ++i)
        table[i] = table[i + 1];
    --table.StepCount;
    return true;
}

ClickedStep stepForGridClick(const StepTable &table, std::optional<int> clickedSlot)
{
    if (!clickedSlot)
        return {0, false};
    if (*clickedSlot >= table.StepCount)
        return {0, true};
    return {*clickedSlot, false};
}

int maskedWires(const StepTable &table)
{
    return maskedInputs(table) & 0x3F;
}
