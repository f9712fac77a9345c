// Steps copied to the clipboard as text, and pasted from it.
#include "mainwindow.h"

#include "messagebox.h"
#include "sessiontexts.h"
#include "stepclipboard.h"
#include "stepeditor.h"

using namespace Klv;

void MainWindow::copySteps(bool all)
{
    const auto steps = m_session->table().steps();
    if (all)
        StepClipboard::copy(steps);
    else if (const std::optional<int> slot = m_session->highlightedStep())
        StepClipboard::copy(steps.subspan(std::size_t(*slot), 1));
}

void MainWindow::pasteSteps()
{
    const StepClipboard::Taken taken = StepClipboard::take();
    if (!taken.problem.isEmpty()) {
        showMessage(this, taken.problem);
        return;
    }
    const EditResult pasted = m_session->paste(taken.steps, m_editor->state());
    if (pasted.refusedStep)
        showMessage(this, StepClipboard::refused(taken.lines[*pasted.refusedStep],
                                                 SessionTexts::message(pasted.message)));
}
