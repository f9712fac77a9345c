// The recovery copy: what its write of a full table costs the writer thread, and what keeping a
// copy costs the window's thread, which only hands the table over.
#include "benches.h"

#include "recoverycopy.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Klv;

void benchRecovery()
{
    constexpr int Runs = 60;
    QList<Step> steps;
    for (int i = 0; i < StepTable::MaxSteps; ++i)
        steps << Step{qint16(i / 2), 255, 0xFF, 100, 127, 10, 200, 255, 20, 3, 1};
    const StepTable table(steps);
    const QString origin = QStringLiteral("/home/technician/programs/lobby.zzr");
    // In the temporary folder, on the disk the user's data is on here.
    QTemporaryDir folder;

    std::vector<double> writeMs, keepUs;
    QElapsedTimer timer;
    RecoveryCopy copy(folder.filePath(QStringLiteral("kept")));
    for (int run = 0; run < Runs; ++run) {
        timer.start();
        RecoveryCopy::write(folder.path(), table, origin);
        writeMs.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        copy.keep(table, origin);
        keepUs.push_back(timer.nsecsElapsed() / 1e3);
    }
    copy.discard();
    std::sort(writeMs.begin(), writeMs.end());
    std::sort(keepUs.begin(), keepUs.end());
    std::printf("recovery copy of 128 steps (1,411 bytes and its origin; %d runs):\n", Runs);
    std::printf("  %-44s %6.2f ms median, %6.2f ms worst (on the writer thread; target < 100 ms)\n",
                "written in place (QSaveFile, two files)", writeMs[Runs / 2], writeMs.back());
    std::printf("  %-44s %6.1f us median, %6.1f us worst (target < 1 ms)\n",
                "handed over by the window's thread", keepUs[Runs / 2], keepUs.back());
}
