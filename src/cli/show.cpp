// show and check: the program as text, and whether a file can be loaded at all.
#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "csv.h"
#include "gridtexts.h"
#include "parameterlist.h"
#include "program.h"

using namespace Klv;

namespace {

// The parameter list as printed, page after page; the blanks that pad a line's last cell are
// left out.
QByteArray listText(const StepTable &table)
{
    QString text;
    for (const PrintPage &page : parameterListPages(table)) {
        for (const PrintLine &line : page) {
            QString shown = line.text;
            while (shown.endsWith(u' '))
                shown.chop(1);
            text += shown + u'\n';
        }
    }
    return text.toUtf8();
}

// A header record of the grid's two header rows joined ("ワイヤー１", "命令１調光速度"), then one
// record per step of the grid's 21 column texts.
QByteArray csvText(const StepTable &table)
{
    QStringList header;
    for (int column = 0; column < StepColumnCount; ++column)
        header << GridText::groupHeader(StepColumn(column)) +
                      GridText::fieldHeader(StepColumn(column));
    QString text = csvRecord(header);
    for (const Step &step : table.steps()) {
        QStringList cells;
        for (int column = 0; column < StepColumnCount; ++column)
            cells << GridText::stepCell(step, StepColumn(column));
        text += csvRecord(cells);
    }
    return text.toUtf8();
}

} // namespace

int showProgram(const CliArguments &arguments)
{
    const LoadedProgram program = loadProgram(arguments.file);
    if (!program.error.isEmpty()) {
        Console::printError(arguments.file + QStringLiteral(": ") + program.error);
        return ExitStatus::Failed;
    }
    // The list of an empty program has not even a header: say why nothing came.
    if (program.table.isEmpty())
        Console::printError(arguments.file + QStringLiteral(": no steps"));
    Console::writeOut(arguments.csv ? csvText(program.table) : listText(program.table));
    return ExitStatus::Done;
}

int checkProgram(const CliArguments &arguments)
{
    const LoadedProgram program = loadProgram(arguments.file);
    if (!program.error.isEmpty()) {
        Console::printError(arguments.file + QStringLiteral(": ") + program.error);
        return ExitStatus::Failed;
    }
    QString verdict = QStringLiteral("%1: settings file, %2")
                          .arg(arguments.file, stepsText(program.table.count()));
    // Loaded as the window loads it, without them; a script may want to know.
    if (program.ignoredBytes > 0)
        verdict +=
            QStringLiteral("; %1 trailing %2 ignored")
                .arg(program.ignoredBytes)
                .arg(program.ignoredBytes == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"));
    Console::writeOut((verdict + u'\n').toUtf8());
    return ExitStatus::Done;
}
