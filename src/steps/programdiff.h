#pragma once

#include "gridtexts.h"
#include "steptable.h"

#include <QList>
#include <QString>

namespace Klv {

// One way in which program B differs from program A. Steps are paired by their key as Update
// sees it (keyData, keyMask and the two bit conditions), equal keys in the order of the tables.
struct StepDifference
{
    enum class Kind {
        OnlyInA,
        OnlyInB,
        Changed, // a paired step whose column differs, in the grid's words or stored values
    };
    Kind kind = Kind::Changed;
    int stepInA = -1; // index in A's steps; -1 for OnlyInB
    int stepInB = -1; // index in B's steps; -1 for OnlyInA
    // Changed: the column, its grid texts and the stored value behind them (the field, or the
    // bit of controlBits for a port and the wait) in A and B. The texts may be the same, as for
    // levels shown as the same percentage, instruction 2's values while it is not in force, or a
    // flag of 2 against 1.
    StepColumn column = StepColumn::Wire1;
    QString textInA{}, textInB{};
    int storedInA = 0, storedInB = 0;

    friend bool operator==(const StepDifference &, const StepDifference &) = default;
};

// What differs between the programs: for each step of A in order, its changed columns left to
// right or that it is only in A; then B's steps that no step of A paired, in order. Empty when
// the programs are the same.
QList<StepDifference> compareSteps(const StepTable &a, const StepTable &b);

} // namespace Klv
