#include "gridtexts.h"

#include "steprules.h"

#include <array>

namespace Klv {
namespace GridText {

QString header(int headerRow, int column)
{
    static const std::array<const char *, ColumnCount> row0{
        "",         "ワイヤー", "ワイヤー", "ワイヤー", "ワイヤー", "ワイヤー",
        "ワイヤー", "ワイヤー", "ポート",   "ポート",   "ポート",   "ポート",
        "",         "",         "命令１",   "命令１",   "命令１",   "命令２",
        "命令２",   "命令２",   "",         ""};
    static const std::array<const char *, ColumnCount> row1{
        "",       "１",       "２",       "３",     "４",       "５",       "６",       "フラグ",
        "１",     "２",       "３",       "４",     "増減条件", "終了待ち", "調光速度", "目的輝度",
        "ポーズ", "調光速度", "目的輝度", "ポーズ", "回数",     "フラグ"};
    if (column < 0 || column >= ColumnCount)
        return {};
    return QString::fromUtf8(headerRow == 0 ? row0[column] : row1[column]);
}

QString stepCell(const Step &step, int column)
{
    const int bits = step.controlBits;
    const bool instruction2 = bits & ControlBit::Instruction2;
    if (column >= 1 && column <= 7) {
        const int bit = 1 << (column - 1);
        if ((step.keyMask & bit) == 0)
            return QStringLiteral("MASK");
        return (step.keyData & bit) ? QStringLiteral("HI") : QStringLiteral("LO");
    }
    if (column >= 8 && column <= 11)
        return (bits & (1 << (column - 8))) ? QStringLiteral("RUN") : QString();
    switch (column) {
    case 12:
        // When both conditions are set the decrease text is the one that stays.
        if (bits & ControlBit::BitDecrease)
            return QStringLiteral("BIT減");
        if (bits & ControlBit::BitIncrease)
            return QStringLiteral("BIT増");
        return {};
    case 13:
        return (bits & ControlBit::WaitForEnd) ? QStringLiteral("WAIT") : QString();
    case 14:
        return QString::number(step.speed1);
    case 15:
        return QString::number(levelToPercent(step.level1));
    case 16:
        return QString::number(step.pause1);
    case 17:
        return instruction2 ? QString::number(step.speed2) : QStringLiteral("-");
    case 18:
        return instruction2 ? QString::number(levelToPercent(step.level2)) : QStringLiteral("-");
    case 19:
        return instruction2 ? QString::number(step.pause2) : QStringLiteral("-");
    case 20:
        return QString::number(step.repeatCount);
    case 21:
        return step.stepFlag != 0 ? QStringLiteral("ON") : QStringLiteral("OFF");
    default:
        return {};
    }
}

} // namespace GridText

} // namespace Klv
