#pragma once

#include <QtGlobal>

#include <array>

namespace Klv {

// One program step: eleven byte values, in the order the settings file and the download use.
// Each is held as a 16-bit signed integer whose value is meant as a byte.
struct Step
{
    qint16 keyData = 0;     // levels the key expects: bit k - 1 set for input k at HI
    qint16 keyMask = 0;     // inputs the key tests: bit k - 1 clear for input k at MASK
    qint16 controlBits = 0; // target ports and step options (ControlBit)
    qint16 speed1 = 0;      // instruction 1: dimming speed
    qint16 level1 = 0;      // instruction 1: target brightness, 0..255
    qint16 pause1 = 0;      // instruction 1: pause
    qint16 speed2 = 0;      // instruction 2: dimming speed
    qint16 level2 = 0;      // instruction 2: target brightness, 0..255
    qint16 pause2 = 0;      // instruction 2: pause
    qint16 repeatCount = 0;
    qint16 stepFlag = 0; // the step's key flag

    static constexpr int FieldCount = 11;

    // Field i in record order (0 = keyData ... 10 = stepFlag).
    qint16 field(int i) const { return this->*fieldMembers()[i]; }
    void setField(int i, qint16 value) { this->*fieldMembers()[i] = value; }

    friend bool operator==(const Step &, const Step &) = default;

private:
    using Member = qint16 Step::*;
    static constexpr std::array<Member, FieldCount> fieldMembers()
    {
        return {&Step::keyData, &Step::keyMask,     &Step::controlBits, &Step::speed1,
                &Step::level1,  &Step::pause1,      &Step::speed2,      &Step::level2,
                &Step::pause2,  &Step::repeatCount, &Step::stepFlag};
    }
};

// Bits of controlBits.
namespace ControlBit {
constexpr int Port1 = 0x01;
constexpr int Port2 = 0x02;
constexpr int Port3 = 0x04;
constexpr int Port4 = 0x08;
constexpr int BitDecrease = 0x10;
constexpr int BitIncrease = 0x20;
constexpr int WaitForEnd = 0x40;
constexpr int Instruction2 = 0x80;
// The two bit conditions, which belong to a step's key.
constexpr int BitConditions = BitIncrease | BitDecrease;
} // namespace ControlBit

} // namespace Klv
