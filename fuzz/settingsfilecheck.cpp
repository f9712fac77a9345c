#include "settingsfilecheck.h"

#include "settingsfile.h"
#include "steptablemodel.h"

#include <algorithm>

using namespace Klv;

QString checkSettingsFileLoad(QByteArrayView bytes)
{
    const SettingsFileContents contents = parseSettingsFile(bytes);
    const bool isSettingsFile = bytes.size() >= 3 && bytes.first(3) == QByteArrayView("KLV");
    const qsizetype records = isSettingsFile ? (bytes.size() - 3) / 11 : 0;
    const bool fits = isSettingsFile && records <= StepTable::MaxSteps;

    const SettingsFileError verdict = !isSettingsFile ? SettingsFileError::WrongFile
                                      : !fits         ? SettingsFileError::TooManySteps
                                                      : SettingsFileError::None;
    if (contents.error != verdict)
        return QStringLiteral("wrong verdict for %1 bytes").arg(bytes.size());
    if (!fits)
        return contents.steps.isEmpty() ? QString() : QStringLiteral("steps of a refused file");
    if (contents.steps.size() != records)
        return QStringLiteral("%1 steps read, %2 in the file")
            .arg(contents.steps.size())
            .arg(records);
    if (contents.ignoredBytes != bytes.size() - 3 - 11 * records)
        return QStringLiteral("%1 bytes told ignored, %2 after the last record")
            .arg(contents.ignoredBytes)
            .arg(bytes.size() - 3 - 11 * records);
    for (qsizetype r = 0; r < records; ++r) {
        for (int i = 0; i < Step::FieldCount; ++i) {
            if (contents.steps[r].field(i) != quint8(bytes[3 + 11 * r + i]))
                return QStringLiteral("record %1 field %2 changed").arg(r).arg(i);
        }
    }

    StepTableModel model;
    model.load(contents.steps);
    const StepTable &table = model.table();
    if (table.count() != records)
        return QStringLiteral("%1 steps for %2 records").arg(table.count()).arg(records);
    const std::span<const Step> used = table.steps();
    if (!std::is_sorted(used.begin(), used.end(),
                        [](const Step &a, const Step &b) { return a.keyData < b.keyData; }))
        return QStringLiteral("table not sorted by keyData");
    if (!std::is_permutation(used.begin(), used.end(), contents.steps.begin(),
                             contents.steps.end()))
        return QStringLiteral("the table does not hold the file's steps");
    for (int slot = table.count(); slot < StepTable::MaxSteps; ++slot) {
        if (table.slot(slot) != Step{})
            return QStringLiteral("a slot past the steps is not empty");
    }

    const QByteArray saved = settingsFileBytes(table);
    const SettingsFileContents again = parseSettingsFile(saved);
    if (saved.size() != 3 + 11 * records || again.error != SettingsFileError::None ||
        !std::equal(again.steps.begin(), again.steps.end(), used.begin(), used.end()))
        return QStringLiteral("saving the loaded table does not read back the same");
    return {};
}
