#pragma once

#include "step.h"

#include <array>

namespace Klv {

// What the step editor shows, as plain values: the seven key option groups, the check boxes
// (in the window's check-box values: 0 clear, 1 checked, 2 greyed) and the seven numbers that
// the sliders write into their text boxes.
struct EditorState
{
    enum KeyChoice { Hi = 0, Lo = 1, Mask = 2 };
    // Positions in values, in the order the editor shows them.
    enum Value { Speed1, Brightness1, Pause1, Speed2, Brightness2, Pause2, RepeatCount };

    std::array<int, 7> key{Lo, Lo, Lo, Lo, Lo, Lo, Lo}; // wires 1-6, then the flag input
    std::array<int, 4> ports{};                         // drive ports 1-4
    int keyFlag = 0;
    int instruction2 = 0; // instruction 2 in force
    int waitForEnd = 0;   // wait for the end of execution
    int bitIncrease = 0;  // bit-increase condition
    int bitDecrease = 0;  // bit-decrease condition

    // Brightness in percent; the others as stored.
    std::array<int, 7> values{1, 50, 0, 1, 50, 0, 1};

    friend bool operator==(const EditorState &, const EditorState &) = default;
};

// The lowest and highest value a slider of the editor can hold.
struct SliderRange
{
    int minimum = 0;
    int maximum = 0;
};
SliderRange sliderRange(EditorState::Value value);

// The key part of a step: the levels the inputs expect, and which inputs are tested.
struct StepKey
{
    qint16 keyData = 0;
    qint16 keyMask = 0;
};

// The key the editor's option groups describe. An input with no option chosen counts as LO.
StepKey encodeKey(const EditorState &editor);

// The whole step the editor describes. Only a check box value of 1 counts as set.
Step encodeStep(const EditorState &editor);

// The step as the editor shows it: a stored speed or repeat count of 0 becomes 1, the lowest
// its slider can show. The table keeps its 0; the working step takes the 1.
Step stepAsShownInEditor(const Step &step);

// What the editor shows for a step.
EditorState editorForStep(const Step &step);

} // namespace Klv
