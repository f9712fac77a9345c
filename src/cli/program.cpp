#include "program.h"

#include "settingsfile.h"

using namespace Klv;

LoadedProgram loadProgram(const QString &path)
{
    LoadedProgram program;
    const SettingsFileContents file = readSettingsFile(path, &program.bytes);
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
    // The table sorts what it takes, as the window's Load does.
    program.table = StepTable(file.steps);
    program.ignoredBytes = file.ignoredBytes;
    return program;
}

QString stepsText(int count)
{
    return QString::number(count) +
           (count == 1 ? QStringLiteral(" step") : QStringLiteral(" steps"));
}
