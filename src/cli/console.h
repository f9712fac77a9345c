#pragma once

#include <QByteArray>
#include <QString>

// Where the command line's output goes: results to stdout, messages and progress to stderr,
// both as UTF-8.
namespace Console {
// Sets up stdout and stderr once, before anything is written: UTF-8 on a Windows console, and
// bytes passed through unchanged (no line-end translation) on every system.
void prepare();
// Whether stderr is a terminal, so progress may redraw its line; false for a file or pipe.
bool stderrIsTerminal();
// Writes the bytes to stdout as they are.
void writeOut(const QByteArray &bytes);
// Writes the text to stderr.
void writeErr(const QString &text);
// Writes "klv90-cli: <message>" and a line end to stderr.
void printError(const QString &message);
} // namespace Console
