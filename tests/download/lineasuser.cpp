// line_as_user UID GID DEVICE: the tool's side of a short download, run as another user.
// Started as root, it becomes that user first, then opens DEVICE with the tool's serial link,
// greets the controller, sends one step and "END". It exits 0 when the step was taken; else it
// says where it stopped.
#include "protocol.h"
#include "qtseriallink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <grp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

using namespace Klv;

namespace {

bool becomeUser(uid_t uid, gid_t gid)
{
    if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
        return false;
    return getuid() == uid && geteuid() == uid && getegid() == gid;
}

bool await(QtSerialLink &link, const QByteArray &reply)
{
    QByteArray received;
    while (!received.contains(reply) && link.waitForReadyRead(10000))
        received += link.readAll();
    return received.contains(reply);
}

int fail(const char *what)
{
    std::printf("line_as_user: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4)
        return fail("usage: line_as_user UID GID DEVICE");
    if (!becomeUser(uid_t(std::atol(argv[1])), gid_t(std::atol(argv[2]))))
        return fail("cannot become that user");
    QCoreApplication app(argc, argv);
    QtSerialLink link;
    if (!link.open(QString::fromLocal8Bit(argv[3])))
        return fail("the device does not open");
    if (!link.write(Protocol::greeting()) || !await(link, "WELCOME"))
        return fail("no WELCOME");
    const Step step{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1};
    if (!link.write(stepFrame(step)) || !await(link, "OK"))
        return fail("the step was not taken");
    if (!link.write(Protocol::endOfDownload()))
        return fail("END not sent");
    // Writes leave on the event loop: "END" must be on the line before the program ends.
    const QDeadlineTimer deadline(10000);
    while (link.bytesToWrite() > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (link.bytesToWrite() > 0)
        return fail("END not sent");
    return 0;
}
