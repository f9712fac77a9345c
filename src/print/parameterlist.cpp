#include "parameterlist.h"

#include "steprules.h"

namespace Klv {

namespace {

// A cell of the given width: text padded with spaces on the right (never cut).
QString cell(const QString &text, int width)
{
    return text + QString(qMax(0, width - displayColumns(text)), u' ');
}

bool isFullWidth(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

// One instruction's three cells: speed, brightness in percent, pause.
QString instructionCells(int speed, int level, int pause, int pauseWidth)
{
    return cell(threeDigitText(speed), 8) + cell(threeDigitText(levelToPercent(level)), 8) +
           cell(threeDigitText(pause), pauseWidth);
}

} // namespace

int displayColumns(QStringView text)
{
    int columns = 0;
    for (char32_t c : text.toUcs4())
        columns += isFullWidth(c) ? 2 : 1;
    return columns;
}

QString threeDigitText(int value)
{
    return QString::number(value).rightJustified(3, u'0');
}

QString stepLine(const Step &step)
{
    QString line(6, u' ');

    // Wires 1 to 6, then the flag input.
    for (int bit = 0; bit < 7; ++bit) {
        const int mask = 1 << bit;
        const char *key = !(step.keyMask & mask) ? "MASK" : (step.keyData & mask) ? "HI" : "LO";
        line += cell(QString::fromLatin1(key), 9);
    }

    const int bits = step.controlBits;
    for (int port : {ControlBit::Port1, ControlBit::Port2, ControlBit::Port3, ControlBit::Port4})
        line += cell(bits & port ? QStringLiteral("RUN") : QString(), 7);

    // Both conditions set is not something the editor makes, but a loaded file may hold it:
    // print both, and the rest of the line moves right.
    QString condition;
    if (bits & ControlBit::BitIncrease)
        condition += cell(QStringLiteral("BIT増"), 8);
    if (bits & ControlBit::BitDecrease)
        condition += cell(QStringLiteral("BIT減"), 8);
    line += cell(condition, 8);

    line += cell(bits & ControlBit::WaitForEnd ? QStringLiteral("WAIT") : QString(), 11);

    line += instructionCells(step.speed1, step.level1, step.pause1, 9);
    if (bits & ControlBit::Instruction2)
        line += instructionCells(step.speed2, step.level2, step.pause2, 8);
    else
        line += QStringLiteral(" -      ").repeated(3);

    line += cell(threeDigitText(step.repeatCount), 6);
    line += step.stepFlag != 0 ? QStringLiteral("ON  ") : QStringLiteral("OFF ");
    return line;
}

PrintPage pageHeader(int page)
{
    return {
        {QString(), 14},
        {QString(43, u' ') + QStringLiteral("ＫＬＶ－９０設定パラメータリスト"), 14},
        {QString(169, u' ') + u' ' + QString::number(page) + QStringLiteral(" PAGE"), 9},
        {QStringLiteral("   ワイヤー ワイヤー ワイヤー ワイヤー ワイヤー ワイヤー ワイヤー\u3000 "
                        "ポート ポート ポート ポート                    "
                        "命令１  命令１  命令１  命令２   命令２  命令２"),
         9},
        {QStringLiteral("      １       ２      ３        ４       ５      ６     フラグ       "
                        "１     ２     ３     ４  増減条件 終了待ち 調光速度 目的輝度 ポーズ "
                        "調光速度 目的輝度 ポーズ  回数 フラグ"),
         9},
        {u' ' + QString(184, u'-'), 9},
    };
}

QList<PrintPage> parameterListPages(const StepTable &table)
{
    QList<PrintPage> pages;
    for (int i = 0; i < table.count(); ++i) {
        if (i % StepsPerPage == 0)
            pages.append(pageHeader(int(pages.size()) + 1));
        pages.last().append({stepLine(table.at(i)), 9});
    }
    return pages;
}

} // namespace Klv
