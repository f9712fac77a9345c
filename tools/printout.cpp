// Prints a sample program of 128 steps to a PDF file, for the README's picture of the parameter
// list: printout <file.pdf>, then pdftoppm -png -gray -r 100 -f 1 -l 1 -singlefile <file.pdf>
// <stem>. docs/printout.png is that page reduced to 16 grey levels (pngquant 16).
#include "printlist.h"
#include "steprules.h"

#include <QApplication>
#include <QPrinter>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: printout <file.pdf>");
        return 2;
    }
    // Wire 6 masked in every step, the other inputs counting up; a little of everything else.
    StepTable table;
    table.StepCount = StepTable::MaxSteps;
    for (int i = 0; i < table.StepCount; ++i) {
        Step &s = table[i];
        s.KeyData = qint16(i & 0x5F);
        s.KeyMask = 255 - 32;
        s.ControlBits = qint16((1 << (i % 4)) | (i % 3 == 0 ? ControlBit::Port4 : 0) |
                               (i % 5 == 1 ? ControlBit::BitIncrease : 0) |
                               (i % 5 == 3 ? ControlBit::BitDecrease : 0) |
                               (i % 4 == 2 ? ControlBit::WaitForEnd : 0) |
                               (i % 2 ? ControlBit::Instruction2 : 0));
        s.Speed1 = qint16(1 + (i * 7) % 255);
        s.Level1 = percentToLevel((i * 13) % 101);
        s.Pause1 = qint16((i * 3) % 256);
        s.Speed2 = qint16(1 + (i * 11) % 255);
        s.Level2 = percentToLevel(100 - (i * 13) % 101);
        s.Pause2 = qint16((i * 5) % 256);
        s.RepeatCount = qint16(1 + i % 10);
        s.StepFlag = qint16(i % 6 == 0);
    }
    sortStepTable(table);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromLocal8Bit(argv[1]));
    return printParameterList(printer, table) ? 0 : 1;
}
