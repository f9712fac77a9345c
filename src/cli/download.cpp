// download: the window's download procedure on the command line's event loop, to one controller
// or to several at once.
#include "appendfile.h"
#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "downloadbatch.h"
#include "downloadplan.h"
#include "downloadprogress.h"
#include "downloadrecord.h"
#include "downloadreport.h"
#include "interruption.h"
#include "program.h"
#include "version.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QTimer>

#include <memory>

using namespace Klv;
using Outcome = DownloadBatch::Outcome;

namespace {

// One run of the command: the batch, what it reports, and what it writes.
class DownloadRun
{
public:
    DownloadRun(const CliArguments &arguments, const DownloadPlan &plan, const StepTable &table,
                const RecordContext &record, AppendFile *log)
        : m_arguments(arguments), m_plan(plan), m_record(record), m_log(log),
          m_batch(plan.targets, table), m_progress(m_batch, plan.labels, progressStyle(plan))
    {
        QObject::connect(&m_batch, &DownloadBatch::deviceEnded, &m_batch,
                         [this](int device) { deviceEnded(device); });
        QObject::connect(&m_batch, &DownloadBatch::finished, &m_batch,
                         [this] { QCoreApplication::exit(finished()); });
        QObject::connect(&m_interruption, &Interruption::requested, &m_batch, [this] {
            if (!m_batch.isRunning())
                return;
            m_interrupted = true;
            m_batch.interrupt();
        });
    }

    int exec()
    {
        // Started from the event loop: a batch that ends at once reports before exec() returns.
        QTimer::singleShot(0, &m_batch, [this] { m_batch.start(); });
        const int status = QCoreApplication::exec();
        m_interruption.tidiedUp();
        return status;
    }

private:
    bool isSingle() const { return m_batch.count() == 1; }

    static DownloadProgress::Style progressStyle(const DownloadPlan &plan)
    {
        if (!Console::stderrIsTerminal())
            return DownloadProgress::Style::Lines;
        if (plan.targets.size() == 1)
            return DownloadProgress::Style::Bar;
        return Console::stderrMovesCursor() ? DownloadProgress::Style::Board
                                            : DownloadProgress::Style::Lines;
    }

    void deviceEnded(int device)
    {
        const DownloadBatch::Result &result = m_batch.result(device);
        if (!result.isDevice)
            return;
        m_progress.showEnd(device, closingText(device));
        const QByteArray record = downloadRecord(m_record, m_batch.target(device), result);
        if (m_log && !m_log->append(record) && m_logError.isEmpty())
            m_logError = m_log->error();
        // Nobody reads on: the others end as at Ctrl-C, and the program quietly.
        if (m_arguments.json && !Console::writeOut(record) &&
            Console::output() == Console::Output::ReaderGone)
            QTimer::singleShot(0, &m_batch, [this] { m_batch.interrupt(); });
    }

    // How the device's download ended: said as the command always has with one device, after
    // the device's name with several.
    QString closingText(int device) const
    {
        const DownloadBatch::Result &result = m_batch.result(device);
        if (isSingle()) {
            const QString text =
                outcomeText(result, m_plan.labels[device], m_batch.target(device).ports);
            const QString remedy = remedyOf(result);
            return remedy.isEmpty() ? text : text + QStringLiteral("; ") + remedy;
        }
        return outcomeText(result, QStringLiteral("it"), m_batch.target(device).ports);
    }

    int finished()
    {
        m_progress.finish();
        QList<DownloadBatch::Result> devices;
        for (int i = 0; i < m_batch.count(); ++i) {
            if (m_batch.result(i).isDevice)
                devices << m_batch.result(i);
        }
        if (!m_arguments.json)
            reportDevices();
        if (m_plan.probesAll)
            reportProbes(devices.isEmpty());
        int status = m_interrupted ? InterruptedExitStatus : exitStatusOf(devices);
        if (!m_logError.isEmpty()) {
            Console::printError(
                QStringLiteral("cannot write to the log %1: %2").arg(m_arguments.log, m_logError));
            status = qMax(status, int(ExitStatus::Failed));
        }
        return status;
    }

    // One closing line per device; one device says it as the command always has.
    void reportDevices()
    {
        if (isSingle()) {
            const DownloadBatch::Result &result = m_batch.result(0);
            const QString text = closingText(0);
            if (result.outcome == Outcome::Completed)
                Console::writeErr(text + u'\n');
            else
                Console::printError(text);
            if (result.outcome == Outcome::NotFound)
                writeLines(unopenedPortsReport(result.unopenedPorts));
            return;
        }
        QStringList remedies;
        for (int i = 0; i < m_batch.count(); ++i) {
            const DownloadBatch::Result &result = m_batch.result(i);
            if (!result.isDevice)
                continue;
            if (m_progress.style() != DownloadProgress::Style::Board)
                Console::writeErr(m_plan.labels[i] + QStringLiteral(": ") + closingText(i) + u'\n');
            const QString remedy = remedyOf(result);
            if (!remedy.isEmpty() && !remedies.contains(remedy))
                remedies << remedy;
        }
        for (const QString &remedy : std::as_const(remedies))
            Console::printError(remedy);
    }

    // --all: the ports that would not open, where a controller may be all the same; with not
    // one controller answering, first where none did.
    void reportProbes(bool noneAnswered)
    {
        QList<PortInfo> searched;
        QList<SettingsDownload::UnopenedPort> unopened;
        for (int i = 0; i < m_batch.count(); ++i) {
            searched += m_batch.target(i).ports;
            unopened += m_batch.result(i).unopenedPorts;
        }
        if (noneAnswered && m_interrupted) {
            Console::printError(
                QStringLiteral("interrupted while looking for the controller; nothing was sent"));
            return;
        }
        if (noneAnswered)
            Console::printError(outcomeText(DownloadBatch::Result(), QString(), searched));
        writeLines(unopenedPortsReport(unopened));
    }

    static void writeLines(const QStringList &lines)
    {
        for (const QString &line : lines)
            Console::writeErr(line + u'\n');
    }

    const CliArguments &m_arguments;
    const DownloadPlan &m_plan;
    const RecordContext &m_record;
    AppendFile *m_log;
    DownloadBatch m_batch;
    DownloadProgress m_progress;
    Interruption m_interruption;
    bool m_interrupted = false;
    QString m_logError;
};

} // namespace

int downloadProgram(const CliArguments &arguments)
{
    const LoadedProgram program = loadProgram(arguments.file);
    if (!program.error.isEmpty()) {
        Console::printError(arguments.file + QStringLiteral(": ") + program.error);
        return ExitStatus::Failed;
    }
    const DownloadPlan plan = planDownload(arguments, platformPortName, platformSerialPorts);
    if (!plan.error.isEmpty()) {
        Console::printError(plan.error);
        return ExitStatus::Failed;
    }
    // A log that cannot take the records stops the command before anything is sent.
    std::unique_ptr<AppendFile> log;
    if (!arguments.log.isEmpty()) {
        log = std::make_unique<AppendFile>();
        if (!log->open(arguments.log)) {
            Console::printError(
                QStringLiteral("cannot open the log %1: %2").arg(arguments.log, log->error()));
            return ExitStatus::Failed;
        }
    }
    const RecordContext record{
        QFileInfo(arguments.file).absoluteFilePath(),
        QString::fromLatin1(
            QCryptographicHash::hash(program.bytes, QCryptographicHash::Sha256).toHex()),
        QStringLiteral("klv90-cli " KLV90_VERSION)};
    DownloadRun run(arguments, plan, program.table, record, log.get());
    return run.exec();
}
