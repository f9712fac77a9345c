#pragma once

class QObject;

namespace Klv {

class SerialLink;

// The serial link of this platform: the Win32 API's COM ports on Windows, Qt's serial port
// elsewhere.
SerialLink *createPlatformSerialLink(QObject *parent);

} // namespace Klv
