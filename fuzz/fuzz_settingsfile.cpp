// Feeds any bytes to the settings-file loader: every promise of checkSettingsFileLoad must hold,
// and reading the same bytes from a file must give what reading them from memory gives.
#include "settingsfile.h"
#include "settingsfilecheck.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

using namespace Klv;

namespace {

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "settings file: %s\n", qPrintable(what));
    std::abort();
}

// One in-memory file for the whole run, rewritten for every input.
int memoryFile()
{
    static const int fd = memfd_create("fuzz.zzr", 0);
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    if (const QString broken = checkSettingsFileLoad(bytes); !broken.isEmpty())
        fail(broken);

    const int fd = memoryFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size))
        fail(QStringLiteral("cannot prepare the file"));
    const SettingsFileContents fromFile =
        readSettingsFile(QStringLiteral("/proc/self/fd/%1").arg(fd));
    const SettingsFileContents fromMemory = parseSettingsFile(bytes);
    if (fromFile.error != fromMemory.error || fromFile.steps != fromMemory.steps)
        fail(QStringLiteral("the file reads otherwise than its bytes"));
    return 0;
}
