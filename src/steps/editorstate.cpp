#include "editorstate.h"

#include "steprules.h"

StepKey encodeKey(const EditorState &editor)
{
    int keyData = 0;
    int masked = 0;
    for (int k = 0; k < 7; ++k) {
        if (editor.key[k] == EditorState::Hi)
            keyData += 1 << k;
        else if (editor.key[k] == EditorState::Mask)
            masked += 1 << k;
    }
    return {static_cast<qint16>(keyData), static_cast<qint16>(255 - masked)};
}

Step encodeStep(const EditorState &editor)
{
    Step step;
    const StepKey key = encodeKey(editor);
    step.KeyData = key.KeyData;
    step.KeyMask = key.KeyMask;

    int bits = 0;
    for (int p = 0; p < 4; ++p) {
        if (editor.ports[p] == 1)
            bits += 1 << p;
    }
    step.Speed1 = static_cast<qint16>(editor.values[EditorState::Speed1]);
    step.Level1 = percentToLevel(editor.values[EditorState::Brightness1]);
    step.Pause1 = static_cast<qint16>(editor.values[EditorState::Pause1]);
    step.Speed2 = static_cast<qint16>(editor.values[EditorState::Speed2]);
    step.Level2 = percentToLevel(editor.values[EditorState::Brightness2]);
    step.Pause2 = static_cast<qint16>(editor.values[EditorState::Pause2]);
    if (editor.instruction2 == 1)
        bits += ControlBit::Instruction2;
    if (editor.waitForEnd == 1)
        bits += ControlBit::WaitForEnd;
    if (editor.bitIncrease == 1)
        bits += ControlBit::BitIncrease;
    if (editor.bitDecrease == 1)
        bits += ControlBit::BitDecrease;
    step.ControlBits = static_cast<qint16>(bits);
    step.RepeatCount = static_cast<qint16>(editor.values[EditorState::RepeatCount]);
    step.StepFlag = editor.keyFlag == 1 ? 1 : 0;
    return step;
}

Step stepAsShownInEditor(const Step &step)
{
    Step shown = step;
    if (shown.Speed1 == 0)
        shown.Speed1 = 1;
    if (shown.Speed2 == 0)
        shown.Speed2 = 1;
    if (shown.RepeatCount == 0)
        shown.RepeatCount = 1;
    return shown;
}

EditorState editorForStep(const Step &step)
{
    EditorState editor;
    for (int k = 0; k < 7; ++k) {
        const int bit = 1 << k;
        if ((step.KeyMask & bit) == 0)
            editor.key[k] = EditorState::Mask;
        else
            editor.key[k] = (step.KeyData & bit) ? EditorState::Hi : EditorState::Lo;
    }
    for (int p = 0; p < 4; ++p)
        editor.ports[p] = (step.ControlBits >> p) & 1;
    editor.instruction2 = (step.ControlBits & ControlBit::Instruction2) ? 1 : 0;
    editor.waitForEnd = (step.ControlBits & ControlBit::WaitForEnd) ? 1 : 0;
    editor.bitIncrease = (step.ControlBits & ControlBit::BitIncrease) ? 1 : 0;
    editor.bitDecrease = (step.ControlBits & ControlBit::BitDecrease) ? 1 : 0;

    const Step shown = stepAsShownInEditor(step);
    editor.values = {shown.Speed1,     levelToPercent(shown.Level1), shown.Pause1,
                     shown.Speed2,     levelToPercent(shown.Level2), shown.Pause2,
                     shown.RepeatCount};
    editor.keyFlag = step.StepFlag == 1 ? 1 : 0;
    return editor;
}
