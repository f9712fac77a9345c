#pragma once

#include "editorstate.h"
#include "step.h"

#include <QList>
#include <QString>

#include <span>

// Steps on the clipboard, as lines of the grid's texts separated by tabs after the header line:
// what a spreadsheet pastes and copies.
namespace StepClipboard {

// Puts the steps on the clipboard.
void copy(std::span<const Klv::Step> steps);

// What a paste takes from the clipboard: the editor's values of each step with the line it
// stands on, or, when a line is not a step or there is none, what to tell the user.
struct Taken
{
    QList<Klv::EditorState> steps;
    QList<int> lines; // of each step, from 1
    QString problem;
};
Taken take();

// A paste refused at a line of the clipboard's text, for the reason given in words.
QString refused(int line, const QString &reason);

} // namespace StepClipboard
