// klv90-bench: prints the tool's speed and memory figures. Run it with `make bench`.
#include "benches.h"

#include <QApplication>

#include <cstring>

namespace {

QtMessageHandler standardHandler = nullptr;

// The offscreen platform's notes about window hints and the runtime directory say nothing
// about the figures; everything else is passed on.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) ||
        message.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    standardHandler(type, context, message);
}

} // namespace

int main(int argc, char *argv[])
{
    standardHandler = qInstallMessageHandler(quietHandler);
    // The start-up figure is taken in a child process that only starts the window.
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0)
        return startupChild(argc, argv, StartupWindow::Tool);
    if (argc > 1 && std::strcmp(argv[1], "--bare-child") == 0)
        return startupChild(argc, argv, StartupWindow::Bare);
    if (argc > 1 && std::strcmp(argv[1], "--label-child") == 0)
        return startupChild(argc, argv, StartupWindow::OneLabel);

    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    benchStartup(argv[0]);
    benchEditing();
    benchRecovery();
    benchDownload();
    benchPrinting();
    return 0;
}
