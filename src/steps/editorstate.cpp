#include "editorstate.h"

#include "steprules.h"

namespace Klv {

SliderRange sliderRange(EditorState::Value value)
{
    switch (value) {
    case EditorState::Brightness1:
    case EditorState::Brightness2:
        return {0, 100};
    case EditorState::Pause1:
    case EditorState::Pause2:
        return {0, 255};
    case EditorState::Speed1:
    case EditorState::Speed2:
    case EditorState::RepeatCount:
        break;
    }
    return {1, 255};
}

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
    step.keyData = key.keyData;
    step.keyMask = key.keyMask;

    int bits = 0;
    for (int p = 0; p < 4; ++p) {
        if (editor.ports[p] == 1)
            bits += 1 << p;
    }
    step.speed1 = static_cast<qint16>(editor.values[EditorState::Speed1]);
    step.level1 = percentToLevel(editor.values[EditorState::Brightness1]);
    step.pause1 = static_cast<qint16>(editor.values[EditorState::Pause1]);
    step.speed2 = static_cast<qint16>(editor.values[EditorState::Speed2]);
    step.level2 = percentToLevel(editor.values[EditorState::Brightness2]);
    step.pause2 = static_cast<qint16>(editor.values[EditorState::Pause2]);
    if (editor.instruction2 == 1)
        bits += ControlBit::Instruction2;
    if (editor.waitForEnd == 1)
        bits += ControlBit::WaitForEnd;
    if (editor.bitIncrease == 1)
        bits += ControlBit::BitIncrease;
    if (editor.bitDecrease == 1)
        bits += ControlBit::BitDecrease;
    step.controlBits = static_cast<qint16>(bits);
    step.repeatCount = static_cast<qint16>(editor.values[EditorState::RepeatCount]);
    step.stepFlag = editor.keyFlag == 1 ? 1 : 0;
    return step;
}

Step stepAsShownInEditor(const Step &step)
{
    Step shown = step;
    if (shown.speed1 == 0)
        shown.speed1 = 1;
    if (shown.speed2 == 0)
        shown.speed2 = 1;
    if (shown.repeatCount == 0)
        shown.repeatCount = 1;
    return shown;
}

EditorState editorForStep(const Step &step)
{
    EditorState editor;
    for (int k = 0; k < 7; ++k) {
        const int bit = 1 << k;
        if ((step.keyMask & bit) == 0)
            editor.key[k] = EditorState::Mask;
        else
            editor.key[k] = (step.keyData & bit) ? EditorState::Hi : EditorState::Lo;
    }
    for (int p = 0; p < 4; ++p)
        editor.ports[p] = (step.controlBits >> p) & 1;
    editor.instruction2 = (step.controlBits & ControlBit::Instruction2) ? 1 : 0;
    editor.waitForEnd = (step.controlBits & ControlBit::WaitForEnd) ? 1 : 0;
    editor.bitIncrease = (step.controlBits & ControlBit::BitIncrease) ? 1 : 0;
    editor.bitDecrease = (step.controlBits & ControlBit::BitDecrease) ? 1 : 0;

    const Step shown = stepAsShownInEditor(step);
    editor.values = {shown.speed1,     levelToPercent(shown.level1), shown.pause1,
                     shown.speed2,     levelToPercent(shown.level2), shown.pause2,
                     shown.repeatCount};
    editor.keyFlag = step.stepFlag == 1 ? 1 : 0;
    return editor;
}

} // namespace Klv
