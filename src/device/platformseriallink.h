#pragma once

class QObject;
class SerialLink;

// The serial link of the platform the tool runs on.
SerialLink *createPlatformSerialLink(QObject *parent);
