#pragma once

#include "steptable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace Klv {

// The settings file (.zzr): the three bytes "KLV", then one 11-byte record per step, each
// field one byte, in record order. No count, version or checksum: the length gives the steps.
namespace SettingsFile {
constexpr int MagicSize = 3;
constexpr int RecordSize = Step::FieldCount;
// The longest file the table can take: 128 records and a trailing partial one.
constexpr qsizetype LargestAccepted = MagicSize + RecordSize * (StepTable::MaxSteps + 1) - 1;
} // namespace SettingsFile

// Why a settings file was not taken.
enum class SettingsFileError {
    None,
    WrongFile,    // no "KLV" at the start
    TooManySteps, // more complete records than the table's 128 steps
    Unreadable,   // could not be opened or read
};

// What reading a settings file gives: its complete records in file order, or the refusal.
struct SettingsFileContents
{
    SettingsFileError error = SettingsFileError::None;
    QList<Step> steps;          // empty unless error is None
    qsizetype ignoredBytes = 0; // the bytes of a trailing partial record, left unread
};

// The bytes of a settings file for the steps in use, in table order.
QByteArray settingsFileBytes(const StepTable &table);

// Checks and decodes a whole file's bytes. A trailing partial record is ignored, and counted.
SettingsFileContents parseSettingsFile(QByteArrayView bytes);

// Reads and checks the file at path; touches no table, so a refusal loses nothing. bytes, when
// given, gets what was read: the whole file when it is accepted.
SettingsFileContents readSettingsFile(const QString &path, QByteArray *bytes = nullptr);

// Writes the table's steps to path. The old file is replaced only by a complete new one; on
// failure it is left as it was, false is returned, and reason, if given, says why.
bool writeSettingsFile(const QString &path, const StepTable &table, QString *reason = nullptr);

} // namespace Klv
