#include "mainwindow.h"
#include "recoverycopy.h"
#include "singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(KLV90_VERSION));
    // The recovery copy's folder is named after it, whatever the program file is called.
    QApplication::setApplicationName(QStringLiteral("klv90"));

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("The KLV-90 service tool. FILE, a settings file (.zzr), is opened as "
                       "Load opens it; with the tool already running, that window opens it."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a settings file"),
                                  QStringLiteral("[FILE]"));
    options.process(app);
    const QStringList files = options.positionalArguments();
    if (files.size() > 1)
        options.showHelp(1);
    // Made absolute here: the running window has a working directory of its own.
    const QString file = files.isEmpty() ? QString() : QDir::current().absoluteFilePath(files[0]);

    // A second start shows nothing of its own: the running window comes forward instead, and
    // opens the file.
    SingleInstance instance;
    if (!instance.tryAcquire()) {
        instance.handOver(file);
        return 0;
    }

    // Qt's own dialogs (file, print, replace?) speak the system's language, as the system's
    // dialogs would; the tool's own texts are Japanese whatever the language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // Taken only with the lock held, so a later start never offers the running one's copy.
    Klv::RecoveryCopy recovery(Klv::RecoveryCopy::defaultFolder());
    MainWindow window;
    QObject::connect(&instance, &SingleInstance::handedOver, &window, &MainWindow::takeHandOver);
    window.show();
    // A program a crash left is asked about first; a file given then opens over it, and undo
    // brings the program back.
    window.keepRecoveryCopy(&recovery);
    if (!file.isEmpty())
        QTimer::singleShot(0, &window, [&window, file] { window.openSettingsFile(file); });
    return app.exec();
}
