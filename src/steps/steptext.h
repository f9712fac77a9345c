#pragma once

#include "editorstate.h"
#include "gridtexts.h"
#include "step.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <span>

namespace Klv {

// Steps as lines of text in the grid's columns, the way a spreadsheet gives and takes them: a
// header line, then one line a step, fields separated by tabs (the clipboard) or commas (CSV).
namespace StepText {

enum class Separator { Tab, Comma };

// The header line's fields: the grid's two header lines joined per column ("ワイヤー１",
// "命令１調光速度").
QStringList headerFields();
// The grid's texts of a step's 21 columns.
QStringList stepFields(const Step &step);
// The fields joined by separator and ended by CR LF; a field holding the separator, a double
// quote or a line break is quoted, its quotes doubled (RFC 4180).
QString line(const QStringList &fields, Separator separator);
// The header line, then a line for each step.
QString write(std::span<const Step> steps, Separator separator);

// Why a line of the text is not a step.
enum class Problem {
    FieldCount, // not one field for each of the 21 columns
    WrongWord,  // a text that none of the column's cells shows
    OutOfRange, // a whole number outside the range of the column's slider
};

// A line of the text that is not a step: the first thing wrong with it, left to right.
struct LineProblem
{
    int line = 0; // in the text, from 1
    Problem problem = Problem::FieldCount;
    StepColumn column = StepColumn::Wire1; // WrongWord and OutOfRange: where
    QString text;                          // WrongWord and OutOfRange: the field as it stands
    int fieldCount = 0;                    // FieldCount: how many there were
};

// A line of the text read as a step: the editor as it would hold that step.
struct StepLine
{
    int line = 0; // in the text, from 1
    EditorState editor;
};

struct Reading
{
    QList<StepLine> steps;       // in the order of the text
    QList<LineProblem> problems; // the lines that are not steps, in the order of the text
};

// Reads the lines that write() or a spreadsheet gives: tab-separated when the text holds a tab,
// else comma-separated, fields quoted as line() quotes them; lines ended by CR LF or LF. The
// header line may stand first; blank lines, and lines of empty fields only, are skipped, and so
// are empty fields after the 21st (a spreadsheet's range chosen wider than the table). Instruction
// 2 is in force unless its three fields are "-"; then it holds the editor's start values.
Reading read(QStringView text);

// The text of a file or the clipboard's bytes: UTF-8, with or without a byte-order mark; UTF-16
// with its byte-order mark; else Shift_JIS (code page 932), as Excel saves CSV on a Japanese
// Windows.
QString decode(QByteArrayView bytes);

} // namespace StepText

} // namespace Klv
