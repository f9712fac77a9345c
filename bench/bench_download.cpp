#include "benches.h"

#include "controllersim.h"
#include "downloadbatch.h"
#include "protocol.h"
#include "qtseriallink.h"
#include "settingsdownload.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

using namespace Klv;

namespace {

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

StepTable fullTable()
{
    QList<Step> steps;
    for (int i = 0; i < StepTable::MaxSteps; ++i)
        steps << Step{qint16(i), 255, qint16(i % 256), 1, 127, 0, 1, 127, 0, 1, 0};
    return StepTable(steps);
}

// One download as the window runs it, timed from the start and from the controller's greeting.
struct Run
{
    SettingsDownload::Outcome outcome = SettingsDownload::Outcome::NotFound;
    double wallMs = 0;         // click to the end
    double afterWelcomeMs = 0; // "WELCOME" to the end
    double cpuAfterWelcomeMs = 0;
    double cpuMs = 0;
    double longestStallMs = 0; // the longest the event loop went without a 5 ms heartbeat
};

Run download(const StepTable &table, const PortMapping &ports)
{
    QtSerialLink link;
    SettingsDownload download(link, ports, table);
    Run run;
    QElapsedTimer clock;
    double welcomeAt = 0;
    double cpuAtWelcome = 0;
    QEventLoop loop;
    QObject::connect(&download, &SettingsDownload::controllerFound, [&] {
        welcomeAt = clock.nsecsElapsed() / 1e6;
        cpuAtWelcome = cpuSeconds();
    });
    QObject::connect(&download, &SettingsDownload::finished,
                     [&](SettingsDownload::Outcome outcome) {
                         run.outcome = outcome;
                         loop.quit();
                     });
    // A heartbeat every 5 ms: the longest gap between two beats is the longest the program
    // could not answer its window.
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceBeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        run.longestStallMs = std::max(run.longestStallMs, sinceBeat.nsecsElapsed() / 1e6);
        sinceBeat.start();
    });
    const double cpuAtStart = cpuSeconds();
    clock.start();
    sinceBeat.start();
    heartbeat.start(5);
    QTimer::singleShot(0, &download, &SettingsDownload::start);
    loop.exec();
    heartbeat.stop();
    run.wallMs = clock.nsecsElapsed() / 1e6;
    run.afterWelcomeMs = run.wallMs - welcomeAt;
    run.cpuMs = (cpuSeconds() - cpuAtStart) * 1e3;
    run.cpuAfterWelcomeMs = (cpuSeconds() - cpuAtWelcome) * 1e3;
    return run;
}

// One batch of controllers at once, as klv90-cli runs it.
struct BatchRun
{
    bool completed = true;
    double wallMs = 0;
    double cpuMs = 0;
    double longestStallMs = 0;
};

BatchRun downloadToAll(const StepTable &table,
                       const std::vector<std::unique_ptr<ControllerSim>> &sims)
{
    QList<DownloadBatch::Target> targets;
    for (const auto &sim : sims)
        targets << DownloadBatch::Target{{portAt(sim->path())}, false};
    DownloadBatch batch(targets, table, [](QObject *parent) { return new QtSerialLink(parent); });
    BatchRun run;
    QEventLoop loop;
    QObject::connect(&batch, &DownloadBatch::finished, [&] { loop.quit(); });
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceBeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        run.longestStallMs = std::max(run.longestStallMs, sinceBeat.nsecsElapsed() / 1e6);
        sinceBeat.start();
    });
    QElapsedTimer clock;
    const double cpuAtStart = cpuSeconds();
    clock.start();
    sinceBeat.start();
    heartbeat.start(5);
    QTimer::singleShot(0, &batch, &DownloadBatch::start);
    loop.exec();
    heartbeat.stop();
    run.wallMs = clock.nsecsElapsed() / 1e6;
    run.cpuMs = (cpuSeconds() - cpuAtStart) * 1e3;
    for (int i = 0; i < batch.count(); ++i)
        run.completed =
            run.completed && batch.result(i).outcome == DownloadBatch::Outcome::Completed;
    return run;
}

void benchManyControllers(const StepTable &table)
{
    double oneMs = 0;
    for (int count : {1, 4, 8}) {
        std::vector<std::unique_ptr<ControllerSim>> sims;
        for (int i = 0; i < count; ++i)
            sims.push_back(std::make_unique<ControllerSim>(
                QStringList{"--baud", QString::number(Protocol::BaudRate)}));
        std::vector<double> wall, cpu, stall;
        for (int run = 0; run < 3; ++run) {
            const BatchRun r = downloadToAll(table, sims);
            if (!r.completed) {
                std::printf("%d controllers at once at 9600 baud: failed\n", count);
                return;
            }
            wall.push_back(r.wallMs);
            cpu.push_back(r.cpuMs / count);
            stall.push_back(r.longestStallMs);
        }
        if (count == 1)
            oneMs = median(wall);
        std::printf("%d controller%s at once, 128 steps at 9600 baud: %.0f ms, %.3fx the time of "
                    "one (target <= 1.05x for 8); %.1f ms CPU per controller; longest event-loop "
                    "stall %.1f ms (target < 20 ms with 8) (median of 3; stall worst of 3)\n",
                    count, count == 1 ? "" : "s", median(wall), median(wall) / oneMs, median(cpu),
                    *std::max_element(stall.begin(), stall.end()));
    }
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

} // namespace

void benchDownload()
{
    std::printf("download: machine load average %s\n", qPrintable(loadAverage()));
    const StepTable table = fullTable();

    {
        ControllerSim sim;
        std::vector<double> wall, cpu;
        for (int run = 0; run < 9; ++run) {
            const Run r = download(table, portsAt({{1, sim.path()}}));
            if (r.outcome != SettingsDownload::Outcome::Completed) {
                std::printf("download, unpaced: failed\n");
                return;
            }
            wall.push_back(r.afterWelcomeMs);
            cpu.push_back(r.cpuAfterWelcomeMs);
        }
        std::printf("download of 128 steps over an unpaced pseudo-terminal, after WELCOME: "
                    "%.1f ms wall, %.1f ms CPU (median of 9; target < 100 ms)\n",
                    median(wall), median(cpu));
    }

    {
        ControllerSim sim({"--baud", QString::number(Protocol::BaudRate)});
        // Every byte is 10 bits on the line: 13-byte frames and 2-byte replies, and the
        // greeting's "HELLO" and "WELCOME".
        const double lineMs =
            (128 * (Protocol::FrameSize + 2) + 5 + 7) * 10.0 * 1e3 / Protocol::BaudRate;
        std::vector<double> wall, stall;
        for (int run = 0; run < 3; ++run) {
            const Run r = download(table, portsAt({{1, sim.path()}}));
            if (r.outcome != SettingsDownload::Outcome::Completed) {
                std::printf("download, 9600 baud: failed (outcome %d)\n", int(r.outcome));
                return;
            }
            wall.push_back(r.wallMs);
            stall.push_back(r.longestStallMs);
        }
        std::printf("download of 128 steps at 9600 baud: %.0f ms against %.0f ms of line time, "
                    "ratio %.3f (median of 3; target within 3 %%)\n",
                    median(wall), lineMs, median(wall) / lineMs);
        std::printf("longest the event loop stood still during it (5 ms heartbeat): %.1f ms "
                    "(worst of 3; target < 20 ms)\n",
                    *std::max_element(stall.begin(), stall.end()));
    }

    benchManyControllers(table);

    {
        // Four ports that open and stay silent, the rest absent: 2 s of waiting.
        std::vector<std::unique_ptr<TestPty>> silent;
        QMap<int, QString> devices;
        for (int n = 1; n <= 4; ++n) {
            silent.push_back(std::make_unique<TestPty>());
            devices.insert(n, silent.back()->path());
        }
        const Run r = download(table, portsAt(devices));
        std::printf("search over 30 ports, 4 of them silent: %.0f ms wall, %.1f ms CPU, "
                    "%.2f %% of the wall time (target < 5 %%)\n",
                    r.wallMs, r.cpuMs, 100.0 * r.cpuMs / r.wallMs);
    }
}
