#include "steptable.h"

#include <stdexcept>
#include <utility>

namespace Klv {

void sortSteps(std::span<Step> steps)
{
    const auto count = steps.size();
    if (count <= 1)
        return;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            if (steps[i].keyData > steps[j].keyData)
                std::swap(steps[i], steps[j]);
        }
    }
}

const Step &StepTable::at(int i) const
{
    if (i < 0 || i >= m_count)
        throw std::out_of_range("StepTable::at: no step in that slot");
    return m_slots[std::size_t(i)];
}

bool StepTable::append(const Step &step)
{
    if (isFull())
        return false;
    m_slots[std::size_t(m_count++)] = step;
    sortSteps({m_slots.data(), std::size_t(m_count)});
    return true;
}

void StepTable::replace(int i, const Step &step)
{
    m_slots.at(std::size_t(i)) = step;
    sortSteps({m_slots.data(), std::size_t(m_count)});
}

bool StepTable::removeAt(int i)
{
    if (i < 0 || i >= m_count)
        return false;
    // The slot after the last step moves down with the steps; past a full table there is none,
    // and an empty slot takes its place.
    for (int s = i; s + 1 < m_count; ++s)
        m_slots[std::size_t(s)] = m_slots[std::size_t(s + 1)];
    m_slots[std::size_t(m_count - 1)] = m_count < MaxSteps ? m_slots[std::size_t(m_count)] : Step{};
    --m_count;
    return true;
}

void StepTable::clear()
{
    m_slots.fill(Step{});
    m_count = 0;
}

void StepTable::assign(const QList<Step> &steps)
{
    clear();
    m_count = int(qMin<qsizetype>(steps.size(), MaxSteps));
    std::copy(steps.begin(), steps.begin() + m_count, m_slots.begin());
    sortSteps({m_slots.data(), std::size_t(m_count)});
}

} // namespace Klv
