#pragma once

#include <QList>
#include <QString>
#include <QStringList>

enum class CliCommand { Help, Version, Show, Check, Download, Print, Ports, Import, Diff };

// What the command line asks for.
struct CliArguments
{
    CliCommand command = CliCommand::Help;
    QString file;          // the settings file: the first of files
    QStringList files;     // the command's files, as many as it takes, in order
    bool csv = false;      // show: one CSV row per step instead of the list; diff: CSV rows
    bool bom = false;      // show --csv: a UTF-8 byte-order mark first
    bool json = false;     // ports, download: JSON on stdout
    QString output;        // print: the PDF file to write; import: the settings file
    QList<int> ports;      // download: the port numbers given, each to be tried
    QStringList devices;   // download: the devices given ("/dev/ttyUSB0", "serial:A12345")
    bool allPorts = false; // download: every port that answers
    QString log;           // download: the file each device's record is appended to
    QString error;         // why the arguments are refused; empty when they can be used
};

// Reads the arguments that follow the program's name. The command comes first; options may stand
// before or after the file, and "--" ends the options.
CliArguments parseCliArguments(const QStringList &arguments);

// The text of --help.
QString cliUsage();

// Runs the command the arguments ask for and returns the exit status. The arguments must have
// been accepted (no error).
int runCliCommand(const CliArguments &arguments);
// The exit status of arguments refused for the command: 1, but diff's 2, as diff(1) has it.
int cliRefusalStatus(CliCommand command);

// Whether the command (its name, as given first) draws with the system's fonts, and so needs
// the GUI side of Qt.
bool cliCommandNeedsFonts(const QString &name);
