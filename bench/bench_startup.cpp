#include "benches.h"

#include "form1.h"
#include "stepgrid.h"
#include "steptablemodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int startupChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Form1 window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    std::printf("%lld %ld\n", static_cast<long long>(monotonicNs()), residentKiB());
    return 0;
}

void benchStartup(const char *program)
{
    std::vector<double> startMs;
    std::vector<long> rssKiB;
    for (int run = 0; run < 7; ++run) {
        QProcess child;
        const qint64 before = monotonicNs();
        child.start(QString::fromLocal8Bit(program), {QStringLiteral("--startup-child")});
        if (!child.waitForFinished(30000) || child.exitCode() != 0) {
            std::printf("start-up: the child did not show the window\n");
            return;
        }
        const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
        startMs.push_back((fields.value(0).toLongLong() - before) / 1e6);
        rssKiB.push_back(fields.value(1).toLong());
    }
    std::printf("start-up to window shown: %.1f ms (median of 7; target < 300 ms)\n",
                median(startMs));
    std::printf("resident memory after start-up: %.1f MB (target < 60 MB)\n",
                median(rssKiB) / 1024.0);

    Form1 window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return;
    QList<Step> steps;
    for (int i = 0; i < StepTable::MaxSteps; ++i)
        steps << Step{qint16(i), 255, 0xFF, 255, 255, 255, 255, 255, 255, 255, 1};

    std::vector<double> fillUs, fillPaintUs;
    QElapsedTimer timer;
    for (int run = 0; run < 200; ++run) {
        timer.start();
        window.stepModel()->load(steps);
        fillUs.push_back(timer.nsecsElapsed() / 1e3);
        timer.start();
        window.stepModel()->load(steps);
        window.grid()->viewport()->repaint();
        fillPaintUs.push_back(timer.nsecsElapsed() / 1e3);
    }
    std::printf("loading 128 steps into the grid: %.1f us; with the grid repainted: %.3f ms "
                "(median of 200; target < 5 ms)\n",
                median(fillUs), median(fillPaintUs) / 1e3);
}
