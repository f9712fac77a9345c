// print: the parameter list to a PDF file, set up as the window's print dialog leaves the printer
// for "Print to File (PDF)".
#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "printlist.h"
#include "program.h"

#include <QPrinter>

using namespace Klv;

int printProgram(const CliArguments &arguments)
{
    const LoadedProgram program = loadProgram(arguments.file);
    if (!program.error.isEmpty()) {
        Console::printError(arguments.file + QStringLiteral(": ") + program.error);
        return ExitStatus::Failed;
    }
    // The window prints no page of an empty program; a script is better told than left with no
    // file, or with an older one, under the name it asked for.
    if (program.table.isEmpty()) {
        Console::printError(
            arguments.file +
            QStringLiteral(": no steps, nothing to print; %1 not written").arg(arguments.output));
        return ExitStatus::Failed;
    }

    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("klv90-parameters"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(arguments.output);
    if (!printParameterList(printer, program.table)) {
        Console::printError(QStringLiteral("cannot write %1").arg(arguments.output));
        return ExitStatus::Failed;
    }
    return ExitStatus::Done;
}
