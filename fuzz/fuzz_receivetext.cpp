// Feeds any run of reads to the reply matching of the download: it must find exactly what a
// search of the whole received text finds, while keeping only a few bytes.
#include "receivetextcheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString broken = checkReceiveText(QByteArrayView(data, qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "reply matching: %s\n", qPrintable(broken));
        std::abort();
    }
    return 0;
}
