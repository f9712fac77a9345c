#pragma once

// Editor states written the short way, for the tests of editing.

#include "editorstate.h"

#include <array>

namespace edit {

constexpr int H = Klv::EditorState::Hi, L = Klv::EditorState::Lo, M = Klv::EditorState::Mask;

// Check-box bits of an editor state, as in controlBits: ports 1-4, then 0x10 decrease, 0x20
// increase, 0x40 wait, 0x80 instruction 2.
constexpr int Dec = 0x10, Inc = 0x20, Wait = 0x40, Instr2 = 0x80;

// An editor state from a key of seven letters H, L or M (wires 1 to 6, then the flag input).
inline Klv::EditorState editor(const char *key, int bits = 0,
                               std::array<int, 7> values = {1, 50, 0, 1, 50, 0, 1}, int flag = 0)
{
    Klv::EditorState e;
    for (int k = 0; k < 7; ++k)
        e.key[k] = key[k] == 'H' ? H : key[k] == 'L' ? L : M;
    for (int p = 0; p < 4; ++p)
        e.ports[p] = (bits >> p) & 1;
    e.bitDecrease = (bits & Dec) ? 1 : 0;
    e.bitIncrease = (bits & Inc) ? 1 : 0;
    e.waitForEnd = (bits & Wait) ? 1 : 0;
    e.instruction2 = (bits & Instr2) ? 1 : 0;
    e.values = values;
    e.keyFlag = flag;
    return e;
}

} // namespace edit
