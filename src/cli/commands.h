#pragma once

struct CliArguments;

// What the command line ends with.
namespace ExitStatus {
constexpr int Done = 0;
constexpr int Failed = 1;   // a bad file, bad arguments, or nothing written
constexpr int NotFound = 2; // download: no controller answered (with --all: none at all)
constexpr int NoReply = 3;  // download: the controller stopped answering, or the port failed
constexpr int Refused = 4;  // download: the controller refused a step every time
} // namespace ExitStatus

// Each command runs to its end and returns the exit status; messages go to stderr.
int showProgram(const CliArguments &arguments);
int checkProgram(const CliArguments &arguments);
// Needs a running QCoreApplication: the download runs on its event loop.
int downloadProgram(const CliArguments &arguments);
// Needs a QGuiApplication: the list is drawn with the system's fonts.
int printProgram(const CliArguments &arguments);
// The serial ports the system has, on stdout.
int listPorts(const CliArguments &arguments);
