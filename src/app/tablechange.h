#pragma once

#include "editorstate.h"
#include "stepgrid.h"
#include "steptable.h"

#include <QList>
#include <QString>
#include <QUndoCommand>

#include <functional>
#include <optional>

// What undo and redo put back of the window: the table, the locks of the masked wires, the grid's
// current cell and highlight, the editor with its working step and the step Update writes to,
// and the program's file with the steps last loaded or saved.
struct EditSnapshot
{
    Klv::StepTable table;
    int lockedWires = 0;
    StepGrid::Position grid;
    Klv::EditorState editor;
    Klv::Step workStep;
    std::optional<int> selectedSlot;
    QString file;
    QList<Klv::Step> savedSteps;
};

// One change of the table on the undo stack, made before it is pushed: undo puts the window back
// as it was before the change, redo as it was after. Only a change that opened another program
// takes the file along; the others leave it to Save, which undo never takes back.
class TableChange : public QUndoCommand
{
public:
    using Apply = std::function<void(const EditSnapshot &, bool withFile)>;

    TableChange(const QString &text, EditSnapshot before, EditSnapshot after, bool opensProgram,
                Apply apply)
        : QUndoCommand(text), m_before(std::move(before)), m_after(std::move(after)),
          m_opensProgram(opensProgram), m_apply(std::move(apply))
    {
    }

    void undo() override { m_apply(m_before, m_opensProgram); }
    void redo() override
    {
        // The stack calls this once as it takes the change, which is made already.
        if (std::exchange(m_made, false))
            return;
        m_apply(m_after, m_opensProgram);
    }

private:
    EditSnapshot m_before;
    EditSnapshot m_after;
    bool m_opensProgram;
    Apply m_apply;
    bool m_made = true;
};
