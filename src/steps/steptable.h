#pragma once

#include "step.h"

#include <QList>

#include <array>
#include <span>

namespace Klv {

// Orders the steps by keyData with the tool's exchange sort. Steps with equal keyData end up in
// the order this particular loop leaves them; files and the controller see it.
void sortSteps(std::span<Step> steps);

// The program: at most 128 steps, always sorted by keyData (sortSteps).
//
// The table has a slot for each step it can hold. A slot that holds no step keeps what it last
// held: removing a step moves the ones after it down and leaves the slot after the last step as
// it was. The grid's click on an empty row and an Update of a removed step read such slots, so
// slot() reaches them; everything else reads the steps in use.
class StepTable
{
public:
    static constexpr int MaxSteps = 128;

    StepTable() = default;
    // The first 128 of steps, sorted.
    explicit StepTable(const QList<Step> &steps) { assign(steps); }

    int count() const { return m_count; }
    bool isEmpty() const { return m_count == 0; }
    bool isFull() const { return m_count == MaxSteps; }

    // The steps in use, in table order.
    std::span<const Step> steps() const { return {m_slots.data(), std::size_t(m_count)}; }
    QList<Step> toList() const { return {m_slots.begin(), m_slots.begin() + m_count}; }
    // Step i of the steps in use (0 <= i < count()).
    const Step &at(int i) const;
    // Slot i (0..127), whether it holds a step or not.
    const Step &slot(int i) const { return m_slots.at(std::size_t(i)); }

    // Appends step and sorts; false, changing nothing, when the table is full.
    bool append(const Step &step);
    // Writes step into slot i (0..127) and sorts. A slot past the steps in use stays unused.
    void replace(int i, const Step &step);
    // Removes step i and moves the steps after it down one slot each, keeping their order;
    // false, changing nothing, when slot i holds no step.
    bool removeAt(int i);
    // Zeroes every slot and empties the table.
    void clear();
    // Zeroes every slot, then takes the first 128 of steps, sorted.
    void assign(const QList<Step> &steps);

    friend bool operator==(const StepTable &, const StepTable &) = default;

private:
    std::array<Step, MaxSteps> m_slots{};
    int m_count = 0;
};

} // namespace Klv
