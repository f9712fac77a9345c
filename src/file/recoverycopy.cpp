#include "recoverycopy.h"

#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

namespace Klv {

namespace {

const QString CopyName = QStringLiteral("recovery.zzr");
const QString OriginName = QStringLiteral("recovery-origin.txt");
// A path is far shorter; anything longer is not an origin the tool wrote.
constexpr qint64 LongestOrigin = 64 * 1024;

QString readOrigin(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > LongestOrigin)
        return {};
    return QString::fromUtf8(file.readAll());
}

void removeCopy(const QDir &folder)
{
    // The copy first: an origin without its copy is never offered.
    QFile::remove(folder.filePath(CopyName));
    QFile::remove(folder.filePath(OriginName));
}

} // namespace

RecoveryCopy::RecoveryCopy(const QString &folder, QObject *parent, int writeDelayMs)
    : QObject(parent), m_folder(folder), m_writerThread(new QThread(this)), m_writer(new QObject)
{
    m_writer->moveToThread(m_writerThread);
    connect(m_writerThread, &QThread::finished, m_writer, &QObject::deleteLater);
    m_writerThread->start();
    m_delay.setSingleShot(true);
    m_delay.setInterval(writeDelayMs);
    connect(&m_delay, &QTimer::timeout, this, &RecoveryCopy::writePending);
}

RecoveryCopy::~RecoveryCopy()
{
    waitForWriter();
    m_writerThread->quit();
    m_writerThread->wait();
}

QString RecoveryCopy::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString RecoveryCopy::path() const
{
    return QDir(m_folder).filePath(CopyName);
}

RecoveredProgram RecoveryCopy::findLeftover()
{
    const QDir folder(m_folder);
    const QFileInfo copy(path());
    if (!copy.exists())
        return {};
    const SettingsFileContents contents = readSettingsFile(copy.filePath());
    if (contents.error != SettingsFileError::None) {
        // Kept for a look by hand, under a name that is never offered.
        const QString aside =
            QStringLiteral("recovery-damaged-%1.zzr")
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
        if (!QFile::rename(copy.filePath(), folder.filePath(aside)))
            QFile::remove(copy.filePath());
        QFile::remove(folder.filePath(OriginName));
        return {RecoveredProgram::State::Damaged, {}, {}, {}};
    }
    return {RecoveredProgram::State::Found, contents.steps, readOrigin(folder.filePath(OriginName)),
            copy.lastModified()};
}

void RecoveryCopy::keep(const StepTable &table, const QString &origin)
{
    m_pending = Pending{table, origin};
    // Not restarted by later changes: while editing goes on, a copy still goes out every second.
    if (!m_delay.isActive())
        m_delay.start();
}

void RecoveryCopy::writePending()
{
    if (!m_pending)
        return;
    m_copyMayExist = true;
    QMetaObject::invokeMethod(
        m_writer, [this, folder = m_folder, pending = *std::exchange(m_pending, {})] {
            const WriteResult result = write(folder, pending.table, pending.origin);
            // Back on the window's thread; dropped when this copy is gone by then.
            QMetaObject::invokeMethod(this, [this, result] { takeWriteResult(result); });
        });
}

void RecoveryCopy::takeWriteResult(const WriteResult &result)
{
    if (result.written)
        m_failureTold = false;
    else if (!std::exchange(m_failureTold, true))
        emit writeFailed(m_folder, result.reason);
}

void RecoveryCopy::discard()
{
    m_delay.stop();
    m_pending.reset();
    if (!std::exchange(m_copyMayExist, false))
        return;
    QMetaObject::invokeMethod(m_writer, [folder = m_folder] { removeCopy(QDir(folder)); });
}

void RecoveryCopy::waitForWriter()
{
    // The writer does what it is handed in order, so once this has run, all before it has.
    QMetaObject::invokeMethod(
        m_writer, [] {}, Qt::BlockingQueuedConnection);
}

RecoveryCopy::WriteResult RecoveryCopy::write(const QString &folder, const StepTable &table,
                                              const QString &origin)
{
    const QDir dir(folder);
    dir.mkpath(QStringLiteral("."));
    // The origin goes first and comes back last: a failure or a crash in between leaves steps
    // without an origin, offered as a program never saved, and never steps beside the origin
    // of other steps.
    const QString originPath = dir.filePath(OriginName);
    if (QFileInfo::exists(originPath) && !QFile::remove(originPath))
        return {false, QFile(originPath).errorString()};
    QString reason;
    if (!writeSettingsFile(dir.filePath(CopyName), table, &reason))
        return {false, reason};
    QSaveFile originFile(originPath);
    const QByteArray originBytes = origin.toUtf8();
    if (!originFile.open(QIODevice::WriteOnly) ||
        originFile.write(originBytes) != originBytes.size() || !originFile.commit())
        return {false, originFile.errorString()};
    return {true, {}};
}

} // namespace Klv
