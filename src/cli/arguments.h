#pragma once

#include <QString>
#include <QStringList>

enum class CliCommand { Help, Version, Show, Check, Download, Print, Import, Diff };

// What the command line asks for.
struct CliArguments
{
    CliCommand command = CliCommand::Help;
    QString file;       // the settings file; import: the text file
    QString secondFile; // diff: the settings file compared with file
    bool csv = false;   // show: one CSV row per step instead of the parameter list; diff: rows
    bool bom = false;   // show --csv: a UTF-8 byte-order mark first
    QString output;     // print: the PDF file to write; import: the settings file
    int port = 0;       // download: the one port number to try; 0 searches them all
    QString device;     // download: the one device to try, instead of a port number
    QString error;      // why the arguments are refused; empty when they can be used
};

// Reads the arguments that follow the program's name. The command comes first; options may stand
// before or after the file, and "--" ends the options.
CliArguments parseCliArguments(const QStringList &arguments);

// The text of --help.
QString cliUsage();
