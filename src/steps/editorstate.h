#pragma once

#include "step.h"

#include <array>

// What the step editor shows, as plain values: the seven key option groups, the check boxes
// (in the window's check-box values: 0 clear, 1 checked, 2 greyed) and the seven numbers that
// the sliders write into their text boxes.
struct EditorState
{
    enum KeyChoice { Hi = 0, Lo = 1, Mask = 2 };

    std::array<int, 7> key{Lo, Lo, Lo, Lo, Lo, Lo, Lo}; // Option1..Option7: wires 1-6, flag
    std::array<int, 4> ports{};                         // Check1(0..3)
    int check2 = 0;                                     // key flag
    int check3 = 0;                                     // instruction 2 in force
    int check4 = 0;                                     // wait for the end of execution
    int check5 = 0;                                     // bit-increase condition
    int check6 = 0;                                     // bit-decrease condition

    // Text1..Text7: Speed1, brightness 1 in %, Pause1, Speed2, brightness 2 in %, Pause2,
    // RepeatCount.
    std::array<int, 7> values{1, 50, 0, 1, 50, 0, 1};

    friend bool operator==(const EditorState &, const EditorState &) = default;
};

// The key of the editor alone: KeyData and KeyMask.
void EncodeKey(const EditorState &editor, Step &step);

// The whole step the editor describes. Only a check box value of 1 counts as set.
Step EncodeStep(const EditorState &editor);

// What the editor shows for a step. A stored speed or repeat count of 0 is shown as 1, and
// the working step takes that 1 as well; the table keeps its 0.
EditorState EditorFromWorkStep(Step &workStep);
