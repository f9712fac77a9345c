#include "gridtexts.h"

#include "steprules.h"

#include <array>

namespace Klv {
namespace GridText {

namespace {

struct ColumnHeader
{
    const char *group;
    const char *field;
};

constexpr std::array<ColumnHeader, StepColumnCount> Headers{{
    {"ワイヤー", "１"},     {"ワイヤー", "２"},     {"ワイヤー", "３"},     {"ワイヤー", "４"},
    {"ワイヤー", "５"},     {"ワイヤー", "６"},     {"ワイヤー", "フラグ"}, {"ポート", "１"},
    {"ポート", "２"},       {"ポート", "３"},       {"ポート", "４"},       {"", "増減条件"},
    {"", "終了待ち"},       {"命令１", "調光速度"}, {"命令１", "目的輝度"}, {"命令１", "ポーズ"},
    {"命令２", "調光速度"}, {"命令２", "目的輝度"}, {"命令２", "ポーズ"},   {"", "回数"},
    {"", "フラグ"},
}};

} // namespace

QString groupHeader(StepColumn column)
{
    return QString::fromUtf8(Headers.at(std::size_t(column)).group);
}

QString fieldHeader(StepColumn column)
{
    return QString::fromUtf8(Headers.at(std::size_t(column)).field);
}

QString stepCell(const Step &step, StepColumn column)
{
    const int bits = step.controlBits;
    const bool instruction2 = bits & ControlBit::Instruction2;
    const int index = int(column);
    if (column <= StepColumn::FlagInput) {
        const int bit = 1 << (index - int(StepColumn::Wire1));
        if ((step.keyMask & bit) == 0)
            return QStringLiteral("MASK");
        return (step.keyData & bit) ? QStringLiteral("HI") : QStringLiteral("LO");
    }
    if (column <= StepColumn::Port4)
        return (bits & (1 << (index - int(StepColumn::Port1)))) ? QStringLiteral("RUN") : QString();
    switch (column) {
    case StepColumn::BitCondition:
        // When both conditions are set the decrease text is the one that stays.
        if (bits & ControlBit::BitDecrease)
            return QStringLiteral("BIT減");
        if (bits & ControlBit::BitIncrease)
            return QStringLiteral("BIT増");
        return {};
    case StepColumn::WaitForEnd:
        return (bits & ControlBit::WaitForEnd) ? QStringLiteral("WAIT") : QString();
    case StepColumn::Speed1:
        return QString::number(step.speed1);
    case StepColumn::Brightness1:
        return QString::number(levelToPercent(step.level1));
    case StepColumn::Pause1:
        return QString::number(step.pause1);
    case StepColumn::Speed2:
        return instruction2 ? QString::number(step.speed2) : QStringLiteral("-");
    case StepColumn::Brightness2:
        return instruction2 ? QString::number(levelToPercent(step.level2)) : QStringLiteral("-");
    case StepColumn::Pause2:
        return instruction2 ? QString::number(step.pause2) : QStringLiteral("-");
    case StepColumn::RepeatCount:
        return QString::number(step.repeatCount);
    case StepColumn::StepFlag:
        return step.stepFlag != 0 ? QStringLiteral("ON") : QStringLiteral("OFF");
    default:
        return {};
    }
}

} // namespace GridText

} // namespace Klv
