#pragma once

#include "steptable.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class QThread;

namespace Klv {

// What a run of the tool that did not end normally left behind.
struct RecoveredProgram
{
    enum class State {
        None,    // nothing: the last run ended normally
        Found,   // a program that was not saved
        Damaged, // a copy that cannot be read; it has been set aside
    };
    State state = State::None;
    QList<Step> steps;
    QString origin;        // the settings file the steps came from; empty for a new program
    QDateTime lastChanged; // when the copy was last written
};

// The copy of an unsaved program that outlives a crash. While the table is modified the window
// hands every change to keep(); the copy on disk follows within about a second, written by a
// thread of its own, so a slow or busy disk never holds up the window. A normal end discards it.
//
// The folder holds recovery.zzr, a settings file of the steps, and recovery-origin.txt, the path
// of the file they came from. A copy without its origin counts as a program never saved.
class RecoveryCopy : public QObject
{
    Q_OBJECT
public:
    // Changes within this time go into one write.
    static constexpr int WriteDelayMs = 1000;

    explicit RecoveryCopy(const QString &folder, QObject *parent = nullptr,
                          int writeDelayMs = WriteDelayMs);
    // Finishes what was handed to the writer, so a discarded copy is gone when the tool ends.
    ~RecoveryCopy() override;

    // The user's application-data folder.
    static QString defaultFolder();
    QString path() const;

    // What the last run left. A copy that cannot be read is moved aside under another name, so
    // it is never offered again and never stands in the way of a start.
    RecoveredProgram findLeftover();

    // Keeps a copy of the table's steps and of the file they came from; written once the delay
    // has passed, with whatever the last call before then gave.
    void keep(const StepTable &table, const QString &origin);
    // Removes the copy, and drops one not written yet.
    void discard();
    // Waits until the writer has done everything handed to it so far.
    void waitForWriter();

    // Writes a copy of the table and its origin into folder, each file replaced whole; what the
    // writer thread runs, and how long it takes is a figure of the benchmark. On failure, the
    // system's reason.
    struct WriteResult
    {
        bool written = false;
        QString reason;
    };
    static WriteResult write(const QString &folder, const StepTable &table, const QString &origin);

signals:
    // A copy could not be written: said once, until a copy is written again.
    void writeFailed(const QString &folder, const QString &reason);

private:
    void writePending();
    void takeWriteResult(const WriteResult &result);

    QString m_folder;
    QThread *m_writerThread;
    QObject *m_writer; // lives in m_writerThread; the writes run in its context
    QTimer m_delay;
    struct Pending
    {
        StepTable table;
        QString origin;
    };
    std::optional<Pending> m_pending;
    bool m_copyMayExist = true; // a leftover of an earlier run, or one this run wrote
    bool m_failureTold = false;
};

} // namespace Klv
