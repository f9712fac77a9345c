#pragma once

// Lines of steps as text, written the short way, for the tests of reading and pasting them.

#include "gridtexts.h"

#include <QString>
#include <QStringList>

namespace steplines {

// The start-up step, instruction 2 in force at its start values; and not in force.
inline const QString InForce = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,1,50,0,1,OFF");
inline const QString Startup = QStringLiteral("LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,-,-,-,1,OFF");

// The line with field column set to text.
inline QString with(Klv::StepColumn column, const QString &text, QString line = InForce)
{
    QStringList fields = line.split(u',');
    fields[int(column)] = text;
    return fields.join(u',');
}

// A line of key keyData, every input tested, and a bit condition.
inline QString keyLine(int keyData, const QString &condition = {})
{
    QString line = with(Klv::StepColumn::BitCondition, condition);
    for (int k = 0; k < 7; ++k)
        line = with(Klv::StepColumn(k), (keyData >> k) & 1 ? "HI" : "LO", line);
    return line + u'\n';
}

} // namespace steplines
