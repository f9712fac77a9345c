#include "form1.h"
#include "singleinstance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // A second start ends silently, before any window shows.
    SingleInstance instance;
    if (!instance.tryAcquire())
        return 0;

    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);

    // Qt's own dialogs (file, print, replace?) speak the system's language, as the system's
    // dialogs would; the tool's own texts are Japanese whatever the language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    Form1 window;
    window.show();
    return app.exec();
}
