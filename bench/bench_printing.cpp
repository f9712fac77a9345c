// Printing figure: the 128-step parameter list printed to a PDF file, from setting up the
// printer to the file closed.
#include "benches.h"

#include "printlist.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Klv;

namespace {

constexpr int Runs = 15;

StepTable fullTable()
{
    QList<Step> steps;
    for (int i = 0; i < StepTable::MaxSteps; ++i) {
        const qint16 bits = qint16((i % 2 ? 0x10 : 0x20) | (i % 16) | (i % 4) << 6);
        steps << Step{qint16(i / 2), 255, bits, qint16(i + 1), 127, 10, 200, 255, 20, 3, 1};
    }
    return StepTable(steps);
}

} // namespace

void benchPrinting()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    const StepTable table = fullTable();
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int run = 0; run < Runs; ++run) {
        QFile::remove(pdf);
        timer.start();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(pdf);
        if (!printParameterList(printer, table)) {
            std::printf("printing: the PDF could not be written\n");
            return;
        }
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    std::printf("printing 128 steps (3 pages) to PDF: %.1f ms median of %d, %.1f ms worst, "
                "%.1f ms the first run; %lld bytes (target < 1 s)\n",
                ms[ms.size() / 2], Runs, ms.back(), first,
                static_cast<long long>(QFile(pdf).size()));
}
