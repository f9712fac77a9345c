// Prints a sample program of 128 steps to a PDF file, for the README's picture of the parameter
// list: printout <file.pdf>, then pdftoppm -png -gray -r 100 -f 1 -l 1 -singlefile <file.pdf>
// <stem>. docs/printout.png is that page reduced to 16 grey levels (pngquant 16).
#include "printlist.h"
#include "steprules.h"

#include <QApplication>
#include <QPrinter>

using namespace Klv;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: printout <file.pdf>");
        return 2;
    }
    // Wire 6 masked in every step, the other inputs counting up; a little of everything else.
    QList<Step> steps(StepTable::MaxSteps);
    for (int i = 0; i < StepTable::MaxSteps; ++i) {
        Step &s = steps[i];
        s.keyData = qint16(i & 0x5F);
        s.keyMask = 255 - 32;
        s.controlBits = qint16((1 << (i % 4)) | (i % 3 == 0 ? ControlBit::Port4 : 0) |
                               (i % 5 == 1 ? ControlBit::BitIncrease : 0) |
                               (i % 5 == 3 ? ControlBit::BitDecrease : 0) |
                               (i % 4 == 2 ? ControlBit::WaitForEnd : 0) |
                               (i % 2 ? ControlBit::Instruction2 : 0));
        s.speed1 = qint16(1 + (i * 7) % 255);
        s.level1 = percentToLevel((i * 13) % 101);
        s.pause1 = qint16((i * 3) % 256);
        s.speed2 = qint16(1 + (i * 11) % 255);
        s.level2 = percentToLevel(100 - (i * 13) % 101);
        s.pause2 = qint16((i * 5) % 256);
        s.repeatCount = qint16(1 + i % 10);
        s.stepFlag = qint16(i % 6 == 0);
    }
    const StepTable table(steps);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromLocal8Bit(argv[1]));
    return printParameterList(printer, table) ? 0 : 1;
}
