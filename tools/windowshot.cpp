// Renders the started window to a PNG, for the README: windowshot <file.png> [scene]
//   (no scene)       the window as it starts
//   slider-focus     a few steps, the brightness slider of instruction 1 reached with Tab and
//                    moved with the keys
//   open-question    a step added, then 読み込み: the question about the unsaved steps over the
//                    window, taken from the screen
//   grid-menu        a few steps, one highlighted, and the grid's right-click menu
//   paste-refused    a step pasted that the table has already: the box that says so
//   preview          a few steps in the print preview (the whole screen)
#include "mainwindow.h"
#include "stepgrid.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
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
        qWarning("usage: windowshot <file.png> [slider-focus | open-question | grid-menu | "
                 "paste-refused | preview]");
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
    // The screen as it is, once what the scene opened has been drawn.
    const auto takeScreen = [&](QWidget *shownOver, int delayMs) {
        QTimer::singleShot(delayMs, &window, [&, shownOver] {
            // Without a widget named, the dialog that is open.
            QWidget *shown = shownOver ? shownOver : QApplication::activeModalWidget();
            const QRect area = shown ? shown->frameGeometry() : QRect();
            const QPixmap screen = window.screen()->grabWindow(0);
            app.exit((area.isNull() ? screen : screen.copy(area)).save(file) ? 0 : 1);
        });
    };
    const auto addSteps = [&] {
        auto *wire = window.findChild<QAbstractButton *>(QStringLiteral("keyWire1Hi"));
        click("addButton");
        wire->click();
        click("addButton");
        window.findChild<QAbstractButton *>(QStringLiteral("keyWire2Hi"))->click();
        click("addButton");
    };
    QTimer::singleShot(300, &window, [&] {
        if (scene == u"grid-menu" || scene == u"paste-refused" || scene == u"preview") {
            addSteps();
            StepGrid *grid = window.grid();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualRect(grid->model()->index(1, 3)).center());
            const QPoint at = grid->visualRect(grid->model()->index(1, 8)).center();
            if (scene == u"grid-menu") {
                QContextMenuEvent menu(QContextMenuEvent::Mouse, at,
                                       grid->viewport()->mapToGlobal(at));
                QApplication::sendEvent(grid->viewport(), &menu);
                takeScreen(&window, 500);
            } else if (scene == u"paste-refused") {
                window.findChild<QAction *>(QStringLiteral("copyAllAction"))->trigger();
                takeScreen(&window, 500);
                window.findChild<QAction *>(QStringLiteral("pasteAction"))->trigger();
            } else {
                takeScreen(nullptr, 1500);
                window.findChild<QAction *>(QStringLiteral("previewAction"))->trigger();
            }
            return;
        }
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
