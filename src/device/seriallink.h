#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace Klv {

// Why a port could not be opened.
enum class PortOpenError {
    None,
    NotFound,         // there is no such device
    PermissionDenied, // the user may not open the device
    Busy,             // another program holds the device
    Other,            // the device did not open or could not be set up for another reason
};

// The serial line to the controller. Kept this small so that the download runs the same over a
// real port, a pseudo-terminal or anything else that moves bytes. Nothing in it blocks: bytes
// arrive as readyRead(), and written bytes leave in the background.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the device at 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control, and
    // drops whatever arrived before. False when it does not exist or cannot be opened; then
    // openError() says why.
    virtual bool open(const QString &portName) = 0;
    // Why the last open failed; None after one that succeeded.
    virtual PortOpenError openError() const = 0;

    // How an open started with beginOpen() stands when it returns.
    enum class OpenStart {
        Opened,  // open now
        Failed,  // did not open; openError() says why
        Pending, // under way: openEnded() follows on the event loop, or nothing after close()
    };
    // Opens as open() does, without holding up the event loop where opening can take long (a
    // USB driver that answers late). Here it opens at once; links that can wait say Pending.
    virtual OpenStart beginOpen(const QString &portName)
    {
        return open(portName) ? OpenStart::Opened : OpenStart::Failed;
    }

    virtual bool isOpen() const = 0;
    // Queues the bytes for the line. False, with the link closed and failed() emitted, when the
    // device fails.
    virtual bool write(const QByteArray &bytes) = 0;
    // Bytes handed to write() that have not gone out on the line yet.
    virtual qint64 bytesToWrite() const = 0;
    // Everything received and not yet read; possibly nothing.
    virtual QByteArray readAll() = 0;
    // Closes the line and drops whatever it still holds. Closing a closed link does nothing.
    virtual void close() = 0;

signals:
    // An open that beginOpen() left pending has ended: the link is open, or openError() says
    // why not.
    void openEnded(bool opened);
    // Bytes arrived.
    void readyRead();
    // Queued bytes went out on the line.
    void bytesWritten();
    // The device failed (a read or write error, the device gone) and the link closed itself.
    // Emitted once per failure.
    void failed();
};

} // namespace Klv
