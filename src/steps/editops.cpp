#include "editops.h"

#include "steprules.h"

namespace {

constexpr int BitConditions = ControlBit::BitIncrease | ControlBit::BitDecrease;
constexpr int FirstDataRow = 2; // grid rows 0 and 1 are the header rows

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

AddResult AddStep(StepTable &table, const Step &candidate)
{
    if ((candidate.ControlBits & BitConditions) == BitConditions)
        return AddResult::DoubleBitCondition;
    if (CheckSameKey(table, candidate))
        return AddResult::SameKey;
    if (table.StepCount >= StepTable::MaxSteps)
        return AddResult::TableFull;
    table[table.StepCount] = candidate;
    ++table.StepCount;
    return AddResult::Added;
}

QString AddMessage(AddResult result)
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

UpdateResult UpdateStep(StepTable &table, int selectedRow, const EditorState &editor,
                        Step &workStep)
{
    if (selectedRow < FirstDataRow)
        return UpdateResult::NothingSelected;
    EncodeKey(editor, workStep);
    if (editor.check5 == 1 && editor.check6 == 1)
        return UpdateResult::DoubleBitCondition;

    // The row is not checked against StepCount: after deletes it may name the slot just past
    // the steps, which is still one of the 130 slots and holds no step.
    Step &stored = table[selectedRow - FirstDataRow];
    const int editedBits = (editor.check5 == 1 ? ControlBit::BitIncrease : 0) |
                           (editor.check6 == 1 ? ControlBit::BitDecrease : 0);
    const bool keyChanged = workStep.KeyMask != stored.KeyMask ||
                            workStep.KeyData != stored.KeyData ||
                            editedBits != (stored.ControlBits & BitConditions);
    if (keyChanged) {
        workStep.KeyData = stored.KeyData;
        workStep.KeyMask = stored.KeyMask;
        workStep.ControlBits = stored.ControlBits;
        return UpdateResult::KeyChanged;
    }
    workStep = EncodeStep(editor);
    stored = workStep;
    return UpdateResult::Updated;
}

QString UpdateMessage(UpdateResult result)
{
    switch (result) {
    case UpdateResult::DoubleBitCondition:
        return EditMessage::doubleBitCondition();
    case UpdateResult::KeyChanged:
        return EditMessage::keyUnchangeable();
    case UpdateResult::NothingSelected:
    case UpdateResult::Updated:
        break;
    }
    return {};
}

bool DeleteStep(StepTable &table, int slot)
{
    if (slot < 0 || slot >= table.StepCount)
        return false;
    // With at most 129 steps the last pass reads slot StepCount, never past slot 129.
    for (int i = slot; i < table.StepCount && i + 1 < StepTable::SlotCount; ++i)
        table[i] = table[i + 1];
    --table.StepCount;
    return true;
}

RowSelection SelectGridRow(const StepTable &table, int mouseRow)
{
    if (mouseRow - FirstDataRow >= table.StepCount)
        return {FirstDataRow, true};
    if (mouseRow < FirstDataRow)
        return {FirstDataRow, false};
    return {mouseRow, false};
}

int MaskedWires(const StepTable &table)
{
    return MaskedInputs(table) & 0x3F;
}
