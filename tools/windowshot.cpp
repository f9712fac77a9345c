// Renders the started window to a PNG, for the README: windowshot <file.png>
#include "mainwindow.h"

#include <QApplication>
#include <QTimer>

using namespace Klv;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: windowshot <file.png>");
        return 2;
    }
    MainWindow window;
    window.show();
    QTimer::singleShot(300, &window, [&] {
        const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]));
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}
