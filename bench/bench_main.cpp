// klv90-bench: prints the tool's speed and memory figures. Run it with `make bench`.
#include "benches.h"

#include <QApplication>

#include <cstring>

int main(int argc, char *argv[])
{
    // The start-up figure is taken in a child process that only starts the window.
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0)
        return startupChild(argc, argv);

    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    benchStartup(argv[0]);
    benchEditing();
    benchDownload();
    benchPrinting();
    return 0;
}
