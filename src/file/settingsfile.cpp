#include "settingsfile.h"

#include "steprules.h"

#include <QFile>
#include <QSaveFile>

namespace Klv {

using namespace SettingsFile;

namespace {

constexpr char Magic[MagicSize] = {'K', 'L', 'V'};

} // namespace

QByteArray settingsFileBytes(const StepTable &table)
{
    QByteArray bytes(Magic, MagicSize);
    bytes.reserve(MagicSize + RecordSize * table.count());
    for (const Step &step : table.steps()) {
        for (int i = 0; i < Step::FieldCount; ++i)
            bytes.append(char(quint8(step.field(i))));
    }
    return bytes;
}

SettingsFileContents parseSettingsFile(QByteArrayView bytes)
{
    if (bytes.size() < MagicSize || bytes.first(MagicSize) != QByteArrayView(Magic, MagicSize))
        return {SettingsFileError::WrongFile, {}};
    const qsizetype records = (bytes.size() - MagicSize) / RecordSize;
    if (records > StepTable::MaxSteps)
        return {SettingsFileError::TooManySteps, {}};

    SettingsFileContents contents;
    contents.ignoredBytes = (bytes.size() - MagicSize) % RecordSize;
    contents.steps.reserve(records);
    for (qsizetype r = 0; r < records; ++r) {
        const QByteArrayView record = bytes.sliced(MagicSize + r * RecordSize, RecordSize);
        Step step;
        for (int i = 0; i < Step::FieldCount; ++i)
            step.setField(i, quint8(record[i]));
        contents.steps.append(step);
    }
    return contents;
}

SettingsFileContents readSettingsFile(const QString &path, QByteArray *read)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {SettingsFileError::Unreadable, {}};
    // One byte more than the table can take is enough to refuse a file, however long it is.
    const qsizetype limit = LargestAccepted + 1;
    QByteArray bytes;
    while (bytes.size() < limit) {
        const QByteArray chunk = file.read(limit - bytes.size());
        if (file.error() != QFileDevice::NoError)
            return {SettingsFileError::Unreadable, {}};
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (read)
        *read = bytes;
    return parseSettingsFile(bytes);
}

bool writeSettingsFile(const QString &path, const StepTable &table, QString *reason)
{
    QSaveFile file(path);
    const auto failed = [&] {
        if (reason)
            *reason = file.errorString();
        return false;
    };
    // Unbuffered, so a short write (a full disk) shows here: commit() ignores a failing final
    // flush and would put a cut-off file in place of the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed();
    const QByteArray bytes = settingsFileBytes(table);
    if (file.write(bytes) != bytes.size()) {
        failed();
        file.cancelWriting();
        return false;
    }
    return file.commit() || failed();
}

} // namespace Klv
