#include "editorstate.h"

#include "steprules.h"

void EncodeKey(const EditorState &editor, Step &step)
{
    int keyData = 0;
    int masked = 0;
    for (int k = 0; k < 7; ++k) {
        if (editor.key[k] == EditorState::Hi)
            keyData += 1 << k;
        else if (editor.key[k] == EditorState::Mask)
            masked += 1 << k;
    }
    step.KeyData = static_cast<qint16>(keyData);
    step.KeyMask = static_cast<qint16>(255 - masked);
}

Step EncodeStep(const EditorState &editor)
{
    Step step;
    EncodeKey(editor, step);

    int bits = 0;
    for (int p = 0; p < 4; ++p) {
        if (editor.ports[p] == 1)
            bits += 1 << p;
    }
    step.Speed1 = static_cast<qint16>(editor.values[0]);
    step.Level1 = PercentToLevel(editor.values[1]);
    step.Pause1 = static_cast<qint16>(editor.values[2]);
    step.Speed2 = static_cast<qint16>(editor.values[3]);
    step.Level2 = PercentToLevel(editor.values[4]);
    step.Pause2 = static_cast<qint16>(editor.values[5]);
    if (editor.check3 == 1)
        bits += ControlBit::Instruction2;
    if (editor.check4 == 1)
        bits += ControlBit::WaitForEnd;
    if (editor.check5 == 1)
        bits += ControlBit::BitIncrease;
    if (editor.check6 == 1)
        bits += ControlBit::BitDecrease;
    step.ControlBits = static_cast<qint16>(bits);
    step.RepeatCount = static_cast<qint16>(editor.values[6]);
    step.StepFlag = editor.check2 == 1 ? 1 : 0;
    return step;
}

EditorState EditorFromWorkStep(Step &workStep)
{
    EditorState editor;
    for (int k = 0; k < 7; ++k) {
        const int bit = 1 << k;
        if ((workStep.KeyMask & bit) == 0)
            editor.key[k] = EditorState::Mask;
        else
            editor.key[k] = (workStep.KeyData & bit) ? EditorState::Hi : EditorState::Lo;
    }
    for (int p = 0; p < 4; ++p)
        editor.ports[p] = (workStep.ControlBits >> p) & 1;
    editor.check3 = (workStep.ControlBits & ControlBit::Instruction2) ? 1 : 0;
    editor.check4 = (workStep.ControlBits & ControlBit::WaitForEnd) ? 1 : 0;
    editor.check5 = (workStep.ControlBits & ControlBit::BitIncrease) ? 1 : 0;
    editor.check6 = (workStep.ControlBits & ControlBit::BitDecrease) ? 1 : 0;

    if (workStep.Speed1 == 0)
        workStep.Speed1 = 1;
    if (workStep.Speed2 == 0)
        workStep.Speed2 = 1;
    if (workStep.RepeatCount == 0)
        workStep.RepeatCount = 1;
    editor.values = {workStep.Speed1,     LevelToPercent(workStep.Level1), workStep.Pause1,
                     workStep.Speed2,     LevelToPercent(workStep.Level2), workStep.Pause2,
                     workStep.RepeatCount};
    editor.check2 = workStep.StepFlag == 1 ? 1 : 0;
    return editor;
}
