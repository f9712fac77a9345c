#include "mainwindow.h"
#include "messagebox.h"
#include "recoverycopy.h"
#include "singleinstance.h"
#include "version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

namespace {

// What the tool takes on its command line.
void describeArguments(QCommandLineParser &options)
{
    options.setApplicationDescription(
        QStringLiteral("The KLV-90 service tool. FILE, a settings file (.zzr), is opened as "
                       "Load opens it; with the tool already running, that window opens it."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("a settings file"),
                                  QStringLiteral("[FILE]"));
}

// --help and --version need no display, but QApplication ends the process where there is none,
// so they are answered before it exists. Qt's own options (-platform, -reverse) are taken out by
// QApplication only later: here they are ignored, and a word is an option only as a whole.
void answerHelpOrVersion(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser options;
    describeArguments(options);
    options.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    options.parse(arguments);
    const bool version = options.isSet(QStringLiteral("version"));
    if (!version && !options.isSet(QStringLiteral("help")) &&
        !options.isSet(QStringLiteral("help-all")))
        return;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(KLV90_VERSION));
    if (version)
        options.showVersion();
    options.showHelp();
}

} // namespace

int main(int argc, char *argv[])
{
    answerHelpOrVersion(argc, argv);

    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(KLV90_VERSION));
    // The recovery copy's folder is named after it, whatever the program file is called.
    QApplication::setApplicationName(QStringLiteral("klv90"));

    QCommandLineParser options;
    describeArguments(options);
    options.process(app);
    const QStringList files = options.positionalArguments();
    if (files.size() > 1)
        options.showHelp(1);
    // Made absolute here: the running window has a working directory of its own.
    const QString file = files.isEmpty() ? QString() : QDir::current().absoluteFilePath(files[0]);

    // A second start shows nothing of its own: the running window comes forward instead, and
    // opens the file. When no window of this user takes it, this start is the window.
    SingleInstance instance;
    const bool holdsLock = instance.tryAcquire();
    if (!holdsLock && instance.handOver(file))
        return 0;

    // Qt's own dialogs (file, print, replace?) speak the system's language, as the system's
    // dialogs would; the tool's own texts are Japanese whatever the language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    Klv::RecoveryCopy recovery(Klv::RecoveryCopy::defaultFolder());
    MainWindow window;
    QObject::connect(&instance, &SingleInstance::handedOver, &window, &MainWindow::takeHandOver);
    window.show();
    // A program a crash left is asked about first; a file given then opens over it, and undo
    // brings the program back. Only with the lock held: a window started beside a running one
    // that did not answer must not offer, or write over, that one's copy.
    if (holdsLock)
        window.keepRecoveryCopy(&recovery);
    if (!instance.listenFailure().isEmpty())
        showMessage(&window,
                    QStringLiteral("ほかの起動からファイルを受け取れません。"
                                   "このあと開くファイルは、別のウィンドウで開きます。\n") +
                        QDir::toNativeSeparators(SingleInstance::serverName()) + u'\n' +
                        instance.listenFailure());
    if (!file.isEmpty())
        QTimer::singleShot(0, &window, [&window, file] { window.openSettingsFile(file); });
    return app.exec();
}
