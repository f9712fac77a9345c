#pragma once

// Object names of the window's controls that come in rows: the key options, the port check boxes,
// and the sliders with their value texts.

#include <QString>

#include <array>

namespace ControlNames {

// Item 0 (HI), 1 (LO) or 2 (MASK) of key group 0..5 (wires 1 to 6) or 6 (the flag input).
inline QString keyOption(int group, int item)
{
    static const std::array<const char *, 3> items{"Hi", "Lo", "Mask"};
    const QString input =
        group < 6 ? QStringLiteral("keyWire%1").arg(group + 1) : QStringLiteral("flagInput");
    return input + QString::fromLatin1(items.at(item));
}

// The check box of drive port 0..3.
inline QString portCheck(int port)
{
    return QStringLiteral("port%1Check").arg(port + 1);
}

// The seven values in the editor's order: speed, brightness and pause of instructions 1 and 2,
// then the repeat count.
inline QString valueName(int n)
{
    static const std::array<const char *, 7> names{
        "speed1", "brightness1", "pause1", "speed2", "brightness2", "pause2", "repeatCount"};
    return QString::fromLatin1(names.at(n));
}
inline QString slider(int n)
{
    return valueName(n) + QStringLiteral("Slider");
}
inline QString valueText(int n)
{
    return valueName(n) + QStringLiteral("Text");
}

} // namespace ControlNames
