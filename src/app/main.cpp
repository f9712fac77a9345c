#include "form1.h"
#include "singleinstance.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // A second start ends silently, before any window shows.
    SingleInstance instance;
    if (!instance.tryAcquire())
        return 0;

    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    Form1 window;
    window.show();
    return app.exec();
}
