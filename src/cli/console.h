#pragma once

#include <QByteArray>
#include <QString>

// Where the command line's output goes: results to stdout, messages and progress to stderr,
// both as UTF-8.
namespace Console {
// Sets up stdout and stderr once, before anything is written: UTF-8 on a Windows console, and
// bytes passed through unchanged (no line-end translation) on every system; a pipe closed by
// its reader is told as a failed write rather than ending the program there and then.
void prepare();
// Whether stderr is a terminal, so progress may redraw its line; false for a file or pipe.
bool stderrIsTerminal();
// Whether stderr is a terminal that takes cursor movements, so progress may redraw lines above
// the last.
bool stderrMovesCursor();

// How the writes to stdout have gone so far.
enum class Output {
    Written,
    ReaderGone, // the pipe's reader has closed it (| head): nobody wants more
    Failed,     // the disk is full, the file cannot be written
};
// Writes the bytes to stdout as they are, at once; false when they could not all be written.
bool writeOut(const QByteArray &bytes);
Output output();

// Writes the text to stderr.
void writeErr(const QString &text);
// Writes "klv90-cli: <message>" and a line end to stderr.
void printError(const QString &message);

// Ends the output of a command that ends with status: a failed write is told and ends with 1 at
// least; a reader that has gone ends the program quietly, as other tools end then.
int finish(int status);
} // namespace Console
