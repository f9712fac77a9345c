#pragma once

#include "steptable.h"

#include <QString>

// A program read from a settings file.
struct LoadedProgram
{
    QString error; // why the file was refused ("not a settings file", ...); empty if it loaded
    Klv::StepTable table; // as the window's Load leaves it: the file's steps sorted by keyData
    qsizetype ignoredBytes = 0; // after the last whole step: too few for one more, left out
    QByteArray bytes;           // the file as it was read
};

// Reads the settings file at path the way the window's Load does.
LoadedProgram loadProgram(const QString &path);

// "1 step", "128 steps".
QString stepsText(int count);
