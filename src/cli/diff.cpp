// diff: what differs between two programs, step by step, in the grid's words.
#include "commands.h"
#include "console.h"
#include "program.h"
#include "programdiff.h"
#include "steptext.h"

using namespace Klv;

namespace {

// The column with its instruction: "命令１ 目的輝度", "回数".
QString columnName(StepColumn column)
{
    const QString group = GridText::groupHeader(column);
    const QString field = GridText::fieldHeader(column);
    return group.isEmpty() ? field : group + u' ' + field;
}

// The key as the grid shows it: "HI LO MASK LO LO LO LO", and the bit condition when it has one.
QString keyText(const Step &step)
{
    QStringList words;
    for (int c = int(StepColumn::Wire1); c <= int(StepColumn::FlagInput); ++c)
        words << GridText::stepCell(step, StepColumn(c));
    const QString condition = GridText::stepCell(step, StepColumn::BitCondition);
    if (!condition.isEmpty())
        words << condition;
    return words.join(u' ');
}

QString shownText(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("(empty)") : text;
}

QString differenceLine(const StepDifference &difference, const LoadedProgram &a,
                       const LoadedProgram &b, const QString &fileA, const QString &fileB)
{
    using Kind = StepDifference::Kind;
    const bool inB = difference.kind == Kind::OnlyInB;
    const int step = inB ? difference.stepInB : difference.stepInA;
    const QString head = QStringLiteral("step %1 (%2): ")
                             .arg(step + 1)
                             .arg(keyText(inB ? b.table.at(step) : a.table.at(step)));
    if (difference.kind != Kind::Changed)
        return head + QStringLiteral("only in ") + (inB ? fileB : fileA);
    QString change = columnName(difference.column) + u' ' + shownText(difference.textInA) +
                     QStringLiteral(" -> ") + shownText(difference.textInB);
    if (difference.textInA == difference.textInB)
        change += QStringLiteral(" (stored %1 -> %2)")
                      .arg(difference.storedInA)
                      .arg(difference.storedInB);
    return head + change;
}

QStringList differenceRecord(const StepDifference &difference, const LoadedProgram &a,
                             const LoadedProgram &b)
{
    using Kind = StepDifference::Kind;
    const auto number = [](int step) { return step < 0 ? QString() : QString::number(step + 1); };
    const Step &step = difference.kind == Kind::OnlyInB ? b.table.at(difference.stepInB)
                                                        : a.table.at(difference.stepInA);
    QStringList record{difference.kind == Kind::OnlyInA   ? QStringLiteral("only in A")
                       : difference.kind == Kind::OnlyInB ? QStringLiteral("only in B")
                                                          : QStringLiteral("changed"),
                       number(difference.stepInA), number(difference.stepInB), keyText(step)};
    if (difference.kind == Kind::Changed)
        record << columnName(difference.column) << difference.textInA << difference.textInB
               << QString::number(difference.storedInA) << QString::number(difference.storedInB);
    else
        record << QString() << QString() << QString() << QString() << QString();
    return record;
}

} // namespace

int diffPrograms(const QString &fileA, const QString &fileB, bool csv)
{
    const LoadedProgram a = loadProgram(fileA);
    const LoadedProgram b = loadProgram(fileB);
    bool comparable = true;
    for (const auto &[file, program] : {std::pair(fileA, &a), std::pair(fileB, &b)}) {
        if (!program->error.isEmpty()) {
            Console::printError(file + QStringLiteral(": ") + program->error);
            comparable = false;
        }
    }
    if (!comparable)
        return DiffStatus::Trouble;
    const QList<StepDifference> differences = compareSteps(a.table, b.table);
    QString text;
    if (csv)
        text = StepText::line({"difference", "step in A", "step in B", "key", "column", "A", "B",
                               "stored in A", "stored in B"},
                              StepText::Separator::Comma);
    for (const StepDifference &difference : differences) {
        text += csv ? StepText::line(differenceRecord(difference, a, b), StepText::Separator::Comma)
                    : differenceLine(difference, a, b, fileA, fileB) + u'\n';
    }
    Console::writeOut(text.toUtf8());
    return differences.isEmpty() ? DiffStatus::Same : DiffStatus::Different;
}
