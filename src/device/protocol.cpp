#include "protocol.h"

namespace Klv {

QByteArray stepFrame(const Step &step)
{
    QByteArray frame(Protocol::FrameSize, '\0');
    int sum = 0;
    for (int i = 0; i < Step::FieldCount; ++i) {
        // A field is a byte held in 16 bits; the line carries the byte.
        const auto byte = static_cast<quint8>(step.field(i));
        frame[i] = static_cast<char>(byte);
        sum += byte;
    }
    frame[Step::FieldCount] = static_cast<char>(sum % 256);
    return frame;
}

} // namespace Klv
