#pragma once

class QString;
struct CliArguments;

// What the command line ends with.
namespace ExitStatus {
constexpr int Done = 0;
constexpr int Failed = 1;   // a bad file, bad arguments, or nothing written
constexpr int NotFound = 2; // download: no controller answered (with --all: none at all)
constexpr int NoReply = 3;  // download: the controller stopped answering, or the port failed
constexpr int Refused = 4;  // download: the controller refused a step every time
} // namespace ExitStatus

// What diff ends with, as diff(1) does.
namespace DiffStatus {
constexpr int Same = 0;
constexpr int Different = 1;
constexpr int Trouble = 2; // a file cannot be read or is not a settings file; bad arguments
} // namespace DiffStatus

// Each command runs to its end and returns the exit status; messages go to stderr.
int showProgram(const CliArguments &arguments);
int checkProgram(const CliArguments &arguments);
// Needs a running QCoreApplication: the download runs on its event loop.
int downloadProgram(const CliArguments &arguments);
// Needs a QGuiApplication: the list is drawn with the system's fonts.
int printProgram(const CliArguments &arguments);
// Reads steps from textFile ("-": stdin) and writes them to output as a settings file.
int importProgram(const QString &textFile, const QString &output);
// Compares two settings files; returns a DiffStatus.
int diffPrograms(const QString &fileA, const QString &fileB, bool csv);
// The serial ports the system has, on stdout.
int listPorts(const CliArguments &arguments);
