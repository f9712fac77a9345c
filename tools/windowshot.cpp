// Renders the started window to a PNG, for the README: windowshot <file.png> [scene]
//   (no scene)       the window as it starts
//   slider-focus     a few steps, the brightness slider of instruction 1 reached with Tab and
//                    moved with the keys
//   open-question    a step added, then 読み込み: the question about the unsaved steps over the
//                    window, taken from the screen
#include "mainwindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace Klv;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: windowshot <file.png> [slider-focus | open-question]");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString scene = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    MainWindow window;
    window.show();
    const auto click = [&](const char *name) {
        QTest::mouseClick(window.findChild<QPushButton *>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    };
    QTimer::singleShot(300, &window, [&] {
        if (scene == u"open-question") {
            click("addButton");
            // The question stays open while the screen is taken.
            QTimer::singleShot(500, &window, [&] {
                const QRect area = window.frameGeometry();
                const bool saved =
                    window.screen()
                        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
                        .save(file);
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                    box->reject();
                app.exit(saved ? 0 : 1);
            });
            click("loadButton");
            return;
        }
        if (scene == u"slider-focus") {
            click("addButton");
            window.activateWindow();
            if (!QTest::qWaitForWindowActive(&window))
                qWarning("the window did not become active: its focus will not show");
            auto *slider = window.findChild<QScrollBar *>(QStringLiteral("brightness1Slider"));
            slider->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(slider, Qt::Key_PageDown);
            QTest::keyClick(slider, Qt::Key_Down);
        }
        const bool saved = window.grab().save(file);
        app.exit(saved ? 0 : 1);
    });
    return app.exec();
}
