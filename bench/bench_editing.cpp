// Editing figures: each operation clicked on the real window with a full table of 128 steps,
// timed from the click until the window has repainted.
#include "benches.h"

#include "gridclicks.h"
#include "mainwindow.h"
#include "stepeditor.h"
#include "stepgrid.h"
#include "steptablemodel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Klv;

namespace {

constexpr int Runs = 60;

// 64 keys over wires 1 to 6, each with an increase and a decrease step: the table is full, yet
// a key with the flag input HI is still new, so Add is refused for room, not for its key.
void fillTable(MainWindow &window)
{
    QList<Step> steps;
    for (int i = 0; i < StepTable::MaxSteps; ++i) {
        const qint16 bits = (i % 2 ? 0x10 : 0x20) | 0x0F | 0x40 | 0x80;
        steps << Step{qint16(i / 2), 255, bits, 100, 127, 10, 200, 255, 20, 3, 1};
    }
    window.session()->model()->load(steps);
}

// Median and worst of the runs, in milliseconds, of the timed part of each run.
void measure(const char *name, const std::function<void()> &prepare,
             const std::function<void()> &operation)
{
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int run = 0; run < Runs; ++run) {
        prepare();
        QApplication::processEvents();
        timer.start();
        operation();
        QApplication::processEvents(); // the repaint that shows the outcome
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  %-44s %6.2f ms median, %6.2f ms worst\n", name, ms[ms.size() / 2], ms.back());
}

} // namespace

void benchEditing()
{
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return;
    const auto button = [&](const char *name) {
        return window.findChild<QPushButton *>(QString::fromLatin1(name));
    };
    const auto click = [&](const char *name) { QTest::mouseClick(button(name), Qt::LeftButton); };

    // The refusal's box is answered as soon as it shows.
    QTimer answer;
    answer.setInterval(0);
    QObject::connect(&answer, &QTimer::timeout, [&answer] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            answer.stop();
            box->button(QMessageBox::Ok)->click();
        }
    });

    QFile loadavg(QStringLiteral("/proc/loadavg"));
    const QByteArray load =
        loadavg.open(QIODevice::ReadOnly) ? loadavg.readLine().split(' ').mid(0, 3).join(' ') : "?";
    std::printf("editing a full table of 128 steps, clicked on the window "
                "(%d runs each; target < 16 ms; load average %s):\n",
                Runs, load.constData());
    EditorState newKey;
    newKey.key[6] = EditorState::Hi;
    fillTable(window);
    measure(
        "Add refused as full (box shown and answered)", [&] { window.editor()->setState(newKey); },
        [&] {
            answer.start();
            click("addButton");
        });

    auto *speed = window.findChild<QScrollBar *>(QStringLiteral("speed1Slider"));
    clickStep(window.grid(), 0);
    int value = 1;
    measure(
        "Update of step 1", [&] { speed->setValue(value = value % 255 + 1); },
        [&] { click("updateButton"); });

    measure(
        "Delete of step 1 (127 steps move up)",
        [&] {
            fillTable(window);
            clickStep(window.grid(), 0);
        },
        [&] { click("deleteButton"); });

    measure(
        "Clear", [&] { fillTable(window); }, [&] { click("clearButton"); });

    // Ctrl+Z reaches the same action.
    QAction *undo = window.findChild<QAction *>(QStringLiteral("undoAction"));
    measure(
        "undo of a Clear of 128 steps",
        [&] {
            fillTable(window);
            click("clearButton");
        },
        [&] { undo->trigger(); });
}
