// import: steps from text (show --csv, a spreadsheet's CSV or copied cells) into a settings file,
// through the rules of a paste, written as 保存 writes it.
#include "commands.h"
#include "console.h"
#include "editsession.h"
#include "steptext.h"

#include <QFile>

#include <cstdio>
#include <optional>

using namespace Klv;

namespace {

QString columnName(StepColumn column)
{
    return StepText::headerFields().at(int(column));
}

// What a column takes, for the message about a field it does not take.
QString columnTakes(StepColumn column)
{
    if (column <= StepColumn::FlagInput)
        return QStringLiteral("HI, LO or MASK");
    if (column <= StepColumn::Port4)
        return QStringLiteral("RUN or empty");
    switch (column) {
    case StepColumn::BitCondition:
        return QStringLiteral("BIT増, BIT減 or empty");
    case StepColumn::WaitForEnd:
        return QStringLiteral("WAIT or empty");
    case StepColumn::StepFlag:
        return QStringLiteral("ON or OFF");
    default:
        break;
    }
    const auto range = sliderRange(EditorState::Value(int(column) - int(StepColumn::Speed1)));
    QString takes =
        QStringLiteral("a whole number from %1 to %2").arg(range.minimum).arg(range.maximum);
    if (column == StepColumn::Speed2 || column == StepColumn::Brightness2 ||
        column == StepColumn::Pause2)
        takes += QStringLiteral(", or - in all three of 命令２");
    return takes;
}

QString problemText(const StepText::LineProblem &problem)
{
    switch (problem.problem) {
    case StepText::Problem::FieldCount:
        return QStringLiteral("not a step: %1 fields, where a step has %2")
            .arg(problem.fieldCount)
            .arg(StepColumnCount);
    case StepText::Problem::WrongWord:
        return QStringLiteral("not a step: %1 is '%2', not %3")
            .arg(columnName(problem.column), problem.text, columnTakes(problem.column));
    case StepText::Problem::OutOfRange:
        return QStringLiteral("not a step: %1 is %2, not %3")
            .arg(columnName(problem.column), problem.text, columnTakes(problem.column));
    }
    return {};
}

QString refusalText(EditMessage reason)
{
    switch (reason) {
    case EditMessage::DoubleBitCondition:
        return QStringLiteral("refused: both bit conditions are set");
    case EditMessage::SameKey:
        return QStringLiteral("refused: the same key is in the program already, or the step "
                              "masks other inputs than the steps before it");
    case EditMessage::TableFull:
        return QStringLiteral("refused: the program is full (%1 steps)").arg(StepTable::MaxSteps);
    default:
        break;
    }
    return {};
}

// The bytes of the file, or of stdin for "-".
std::optional<QByteArray> readInput(const QString &path)
{
    QFile file(path);
    if (path == u"-" ? !file.open(stdin, QIODevice::ReadOnly) : !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

int importProgram(const QString &textFile, const QString &output)
{
    const QString name = textFile == u"-" ? QStringLiteral("stdin") : textFile;
    const std::optional<QByteArray> bytes = readInput(textFile);
    if (!bytes) {
        Console::printError(name + QStringLiteral(": cannot be read"));
        return ExitStatus::Failed;
    }
    const StepText::Reading reading = StepText::read(StepText::decode(*bytes));
    const QString notWritten = QStringLiteral("%1 not written").arg(output);
    for (const StepText::LineProblem &problem : reading.problems)
        Console::printError(QStringLiteral("%1:%2: ").arg(name).arg(problem.line) +
                            problemText(problem));
    if (!reading.problems.isEmpty()) {
        Console::printError(notWritten);
        return ExitStatus::Failed;
    }

    // A new program, the lines pasted into it as the window pastes them.
    EditSession session;
    QList<EditorState> steps;
    for (const StepText::StepLine &line : reading.steps)
        steps << line.editor;
    const EditResult pasted = session.paste(steps, {});
    if (pasted.refusedStep) {
        Console::printError(
            QStringLiteral("%1:%2: ").arg(name).arg(reading.steps[*pasted.refusedStep].line) +
            refusalText(pasted.message) + QStringLiteral("; ") + notWritten);
        return ExitStatus::Failed;
    }
    // 保存 writes no file of an empty program either.
    if (!session.canSave()) {
        Console::printError(name + QStringLiteral(": no steps; ") + notWritten);
        return ExitStatus::Failed;
    }
    if (session.save(output).message != EditMessage::None) {
        Console::printError(QStringLiteral("cannot write %1").arg(output));
        return ExitStatus::Failed;
    }
    return ExitStatus::Done;
}
