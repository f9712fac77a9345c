#pragma once

// Works an editing session as the window does: an editor that the operations read and fill,
// the wires' options greyed as the session says, the messages noted.

#include "editorstates.h"
#include "editsession.h"
#include "gridtexts.h"

#include <QStringList>

namespace edit {

class SessionDriver
{
public:
    Klv::EditSession session;
    Klv::EditorState shown; // what the editor holds
    QList<Klv::EditMessage> messages;

    // Sets the editor as a user would: the options of a greyed wire keep what they show.
    void compose(const Klv::EditorState &e)
    {
        const std::array<int, 7> before = shown.key;
        shown = e;
        for (int wire = 0; wire < 6; ++wire) {
            if (session.lockedWires() & (1 << wire))
                shown.key[wire] = before[wire];
        }
    }
    void take(const Klv::EditResult &result)
    {
        if (result.message != Klv::EditMessage::None)
            messages << result.message;
        if (result.editor)
            shown = *result.editor;
    }

    void add(const Klv::EditorState &e)
    {
        compose(e);
        take(session.add(shown));
    }
    void update() { take(session.update(shown)); }
    void remove() { take(session.remove(shown)); }
    void clear() { take(session.clear(shown)); }
    void select(std::optional<int> slot) { take(session.select(slot)); }
    void open(const QString &path) { take(session.open(path, shown)); }
    void undo() { take(session.undo()); }
    void redo() { take(session.redo()); }

    // Greyed state of the seven key option groups: 'E' enabled, 'D' greyed.
    QString wires() const
    {
        QString states;
        for (int wire = 0; wire < 6; ++wire)
            states += session.lockedWires() & (1 << wire) ? u'D' : u'E';
        return states + u'E'; // the flag input is never greyed
    }

    // keyData of the steps in use, in table order.
    QList<int> keys() const
    {
        QList<int> list;
        for (const Klv::Step &step : session.table().steps())
            list << step.keyData;
        return list;
    }

    // The grid's texts of a slot's row, joined with '|'.
    QString rowText(int slot) const
    {
        QStringList cells;
        for (int c = 0; c < Klv::StepColumnCount; ++c)
            cells << session.model()->index(slot, c).data().toString();
        return cells.join(u'|');
    }

    // The highlighted row: the current slot when it is highlighted.
    QList<int> highlighted() const
    {
        if (!session.isCurrentRowHighlighted())
            return {};
        return {session.currentSlot()};
    }
};

} // namespace edit
