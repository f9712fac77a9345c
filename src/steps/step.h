#pragma once

#include <QtGlobal>

#include <array>

// One program step: eleven byte values, in the order the settings file and the download use.
// Each is held as a 16-bit signed integer whose value is meant as a byte.
struct Step
{
    qint16 KeyData = 0;
    qint16 KeyMask = 0;
    qint16 ControlBits = 0;
    qint16 Speed1 = 0;
    qint16 Level1 = 0;
    qint16 Pause1 = 0;
    qint16 Speed2 = 0;
    qint16 Level2 = 0;
    qint16 Pause2 = 0;
    qint16 RepeatCount = 0;
    qint16 StepFlag = 0;

    static constexpr int FieldCount = 11;

    // Field i in record order (0 = KeyData ... 10 = StepFlag).
    qint16 field(int i) const { return this->*fieldMembers()[i]; }
    void setField(int i, qint16 value) { this->*fieldMembers()[i] = value; }

    friend bool operator==(const Step &, const Step &) = default;

private:
    using Member = qint16 Step::*;
    static constexpr std::array<Member, FieldCount> fieldMembers()
    {
        return {&Step::KeyData, &Step::KeyMask,     &Step::ControlBits, &Step::Speed1,
                &Step::Level1,  &Step::Pause1,      &Step::Speed2,      &Step::Level2,
                &Step::Pause2,  &Step::RepeatCount, &Step::StepFlag};
    }
};

// Bits of ControlBits.
namespace ControlBit {
constexpr int Port1 = 0x01;
constexpr int Port2 = 0x02;
constexpr int Port3 = 0x04;
constexpr int Port4 = 0x08;
constexpr int BitDecrease = 0x10;
constexpr int BitIncrease = 0x20;
constexpr int WaitForEnd = 0x40;
constexpr int Instruction2 = 0x80;
} // namespace ControlBit

// The program: 130 slots, of which slots 0 to StepCount - 1 hold the steps, sorted by KeyData.
// Slots 128 and 129 are working space and never hold a counted step.
struct StepTable
{
    static constexpr int SlotCount = 130;
    static constexpr int MaxSteps = 128;

    std::array<Step, SlotCount> entries{}; // slot i is entries[i]
    qint16 StepCount = 0;

    // Zeroes every field of every slot and empties the table.
    void clear()
    {
        entries.fill(Step{});
        StepCount = 0;
    }

    Step &operator[](int slot) { return entries.at(slot); }
    const Step &operator[](int slot) const { return entries.at(slot); }
};
