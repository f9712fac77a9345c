#include "program.h"

#include "settingsfile.h"
#include "steptablemodel.h"

LoadedProgram loadProgram(const QString &path)
{
    LoadedProgram program;
    const SettingsFileContents file = readSettingsFile(path);
    switch (file.error) {
    case SettingsFileError::WrongFile:
        program.error = QStringLiteral("not a settings file");
        return program;
    case SettingsFileError::TooManySteps:
        program.error = QStringLiteral("more than %1 steps").arg(StepTable::MaxSteps);
        return program;
    case SettingsFileError::Unreadable:
        program.error = QStringLiteral("cannot be read");
        return program;
    case SettingsFileError::None:
        break;
    }
    // The model is the window's table owner: the same load, the same sort.
    StepTableModel model;
    model.load(file.steps);
    program.table = model.table();
    program.ignoredBytes = file.ignoredBytes;
    return program;
}

QString stepsText(int count)
{
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" step") : QStringLiteral(" steps"));
}
