// show and check: the program as text, and whether a file can be loaded at all.
#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "parameterlist.h"
#include "program.h"
#include "steptext.h"

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
    if (!arguments.csv) {
        Console::writeOut(listText(program.table));
        return ExitStatus::Done;
    }
    // Excel takes a CSV file for UTF-8, its Japanese intact, only after a byte-order mark.
    if (arguments.bom)
        Console::writeOut(QByteArrayLiteral("\xEF\xBB\xBF"));
    Console::writeOut(StepText::write(program.table.steps(), StepText::Separator::Comma).toUtf8());
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
