#pragma once

// Steps the editor can make, drawn at random.
#include "editorstate.h"

#include <QRandomGenerator>

// Any key, ports and checks (at most one bit condition, as Add takes them), every slider
// anywhere in its range; instruction 2 in force, or off with its sliders at their start values.
inline Klv::EditorState randomEditorState(QRandomGenerator &random)
{
    using Klv::EditorState;
    // The sliders' ranges, written out here so that a wrong range in the code shows.
    constexpr int lowest[7] = {1, 0, 0, 1, 0, 0, 1};
    constexpr int highest[7] = {255, 100, 255, 255, 100, 255, 255};
    EditorState editor;
    for (int &choice : editor.key)
        choice = int(random.bounded(3));
    for (int &port : editor.ports)
        port = int(random.bounded(2));
    editor.keyFlag = int(random.bounded(2));
    editor.waitForEnd = int(random.bounded(2));
    const int condition = int(random.bounded(3));
    editor.bitIncrease = condition == 1 ? 1 : 0;
    editor.bitDecrease = condition == 2 ? 1 : 0;
    editor.instruction2 = int(random.bounded(2));
    for (int v = 0; v < 7; ++v) {
        const bool ofInstruction2 = v >= EditorState::Speed2 && v <= EditorState::Pause2;
        if (!ofInstruction2 || editor.instruction2 == 1)
            editor.values[std::size_t(v)] = int(random.bounded(lowest[v], highest[v] + 1));
    }
    return editor;
}
