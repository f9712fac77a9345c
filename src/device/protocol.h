#pragma once

#include "step.h"

#include <QByteArray>

namespace Klv {

// The controller's line: 9600 baud, 8 data bits, no parity, 1 stop bit; plain ASCII messages
// without terminators, and one 13-byte frame per step.
namespace Protocol {
constexpr int BaudRate = 9600;
constexpr int FrameSize = 13;

inline QByteArray greeting()
{
    return QByteArrayLiteral("HELLO");
}
inline QByteArray endOfDownload()
{
    return QByteArrayLiteral("END");
}
} // namespace Protocol

// The frame that carries one step: the eleven fields as bytes in record order, their sum modulo
// 256, and a zero byte.
QByteArray stepFrame(const Step &step);

} // namespace Klv
