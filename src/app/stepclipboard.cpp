#include "stepclipboard.h"

#include "steptext.h"

#include <QClipboard>
#include <QGuiApplication>

using namespace Klv;

namespace StepClipboard {

namespace {

// What a column takes, for the message about a field it does not take.
QString columnTakes(StepColumn column)
{
    if (column <= StepColumn::FlagInput)
        return QStringLiteral("HI、LO、MASK のどれか");
    if (column <= StepColumn::Port4)
        return QStringLiteral("RUN か空欄");
    switch (column) {
    case StepColumn::BitCondition:
        return QStringLiteral("BIT増、BIT減 か空欄");
    case StepColumn::WaitForEnd:
        return QStringLiteral("WAIT か空欄");
    case StepColumn::StepFlag:
        return QStringLiteral("ON か OFF");
    default:
        break;
    }
    const auto range = sliderRange(EditorState::Value(int(column) - int(StepColumn::Speed1)));
    QString takes = QStringLiteral("%1～%2 の整数").arg(range.minimum).arg(range.maximum);
    if (column >= StepColumn::Speed2 && column <= StepColumn::Pause2)
        takes += QStringLiteral("、または命令２の３列とも -");
    return takes;
}

QString problemText(const StepText::LineProblem &problem)
{
    const QString notAStep =
        QStringLiteral("%1 行目はステップではありません。\n").arg(problem.line);
    if (problem.problem == StepText::Problem::FieldCount)
        return notAStep + QStringLiteral("列が %1 あります（ステップは %2 列です）。")
                              .arg(problem.fieldCount)
                              .arg(StepColumnCount);
    const QString column = StepText::headerFields().at(int(problem.column));
    return notAStep + QStringLiteral("%1 の「%2」は使えません（%3）。")
                          .arg(column, problem.text, columnTakes(problem.column));
}

} // namespace

void copy(std::span<const Step> steps)
{
    QGuiApplication::clipboard()->setText(StepText::write(steps, StepText::Separator::Tab));
}

Taken take()
{
    const StepText::Reading reading = StepText::read(QGuiApplication::clipboard()->text());
    Taken taken;
    if (!reading.problems.isEmpty()) {
        taken.problem = problemText(reading.problems.first());
        return taken;
    }
    if (reading.steps.isEmpty()) {
        taken.problem = QStringLiteral("貼り付けるステップがありません。");
        return taken;
    }
    for (const StepText::StepLine &line : reading.steps) {
        taken.steps << line.editor;
        taken.lines << line.line;
    }
    return taken;
}

QString refused(int line, const QString &reason)
{
    return QStringLiteral("貼り付けできませんでした。\n%1 行目: %2").arg(line).arg(reason);
}

} // namespace StepClipboard
