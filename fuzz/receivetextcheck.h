#pragma once

#include <QByteArrayView>
#include <QString>

// Feeds the input to a ReceiveText as a run of reads and clears, and checks after every step
// that it recognises exactly the replies a search of the whole text since the last clear finds,
// with a refusal winning over an acceptance, and that it keeps no more than its few bytes.
// Input: a length byte and that many bytes for each read; the length byte 0xFF is a clear.
// Returns what broke, or an empty string.
QString checkReceiveText(QByteArrayView input);
