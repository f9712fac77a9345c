#include "benches.h"

#include "japanesefont.h"
#include "mainwindow.h"
#include "recoverycopy.h"
#include "stepgrid.h"
#include "steptablemodel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace Klv;

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

int startupChild(int argc, char *argv[], StartupWindow kind)
{
    QApplication app(argc, argv);
    // The yardsticks: an empty widget of the tool's size, and the same with one line of
    // Japanese text in the tool's face, which costs the font set-up every text pays for.
    std::unique_ptr<RecoveryCopy> recovery;
    std::unique_ptr<QWidget> window;
    if (kind == StartupWindow::Tool) {
        auto tool = std::make_unique<MainWindow>();
        // As main starts it: the recovery copy looked for (there is none), its writer started.
        recovery = std::make_unique<RecoveryCopy>(
            QDir::temp().filePath(QStringLiteral("klv90-bench-no-recovery")));
        tool->keepRecoveryCopy(recovery.get());
        window = std::move(tool);
    } else {
        window = std::make_unique<QWidget>();
        window->setFixedSize(948, 560);
        if (kind == StartupWindow::OneLabel) {
            auto *label = new QLabel(QStringLiteral("Klevaro サービスツール"), window.get());
            label->setFont(QFont(japaneseFixedFamily(), 16));
            label->move(200, 10);
        }
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return 1;
    std::printf("%lld %ld\n", static_cast<long long>(monotonicNs()), residentKiB());
    return 0;
}

namespace {

// Starts one child in the given mode and notes how long it took to show its window and how much
// memory it then held. The caller alternates the modes, so both see the same machine.
bool startOnce(const char *program, const char *mode, std::vector<double> &startMs,
               std::vector<long> &rssKiB)
{
    QProcess child;
    const qint64 before = monotonicNs();
    child.start(QString::fromLocal8Bit(program), {QString::fromLatin1(mode)});
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return false;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    startMs.push_back((fields.value(0).toLongLong() - before) / 1e6);
    rssKiB.push_back(fields.value(1).toLong());
    return true;
}

} // namespace

void benchStartup(const char *program)
{
    constexpr int Runs = 15;
    std::vector<double> toolMs, bareMs, labelMs;
    std::vector<long> toolKiB, bareKiB, labelKiB;
    for (int run = 0; run < Runs; ++run) {
        if (!startOnce(program, "--startup-child", toolMs, toolKiB) ||
            !startOnce(program, "--bare-child", bareMs, bareKiB) ||
            !startOnce(program, "--label-child", labelMs, labelKiB)) {
            std::printf("start-up: a child did not show its window\n");
            return;
        }
    }
    const double tool = median(toolMs), bare = median(bareMs), label = median(labelMs);
    const double toolMB = median(toolKiB) / 1024.0, bareMB = median(bareKiB) / 1024.0,
                 labelMB = median(labelKiB) / 1024.0;
    std::printf("start-up to window shown: %.1f ms; a bare Qt window %.1f ms (%.2fx; target <= "
                "1.3x), with one Japanese label %.1f ms (%.2fx) (median of %d each)\n",
                tool, bare, tool / bare, label, tool / label, Runs);
    std::printf("resident memory after start-up: %.1f MB; a bare Qt window %.1f MB (%.2fx; "
                "target <= 1.3x), with one Japanese label %.1f MB (%.2fx)\n",
                toolMB, bareMB, toolMB / bareMB, labelMB, toolMB / labelMB);

    MainWindow window;
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
        window.session()->model()->load(steps);
        fillUs.push_back(timer.nsecsElapsed() / 1e3);
        timer.start();
        window.session()->model()->load(steps);
        window.grid()->viewport()->repaint();
        fillPaintUs.push_back(timer.nsecsElapsed() / 1e3);
    }
    std::printf("loading 128 steps into the grid: %.1f us; with the grid repainted: %.3f ms "
                "(median of 200; target < 5 ms)\n",
                median(fillUs), median(fillPaintUs) / 1e3);
}
