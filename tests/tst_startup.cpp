#include "controlnames.h"
#include "gridclicks.h"
#include "japanesefont.h"
#include "mainwindow.h"
#include "stepgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace Klv;

class TestStartup : public QObject
{
    Q_OBJECT

    template <typename T> T *control(const QString &name)
    {
        auto *widget = m_window->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }

private slots:
    void init()
    {
        m_window = new MainWindow;
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
    }
    void cleanup() { delete m_window; }

    void window()
    {
        QCOMPARE(m_window->windowTitle(), QStringLiteral("ＫＬＶ－９０[*]"));
        QCOMPARE(m_window->size(), QSize(948, 560));
        QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
        QVERIFY(!(m_window->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(m_window->session()->table().count(), 0);
        QCOMPARE(m_window->session()->selectedSlot(), std::nullopt);
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char *rows[][2] = {
            {"titleLabel", "Klevaro サービスツール"},
            {"keyDataLabel", "キーデータ"},
            {"hiLoLabel", "HI  LO"},
            {"maskLabel", "MASK"},
            {"wire1Label", "ワイヤー１"},
            {"wire6Label", "ワイヤー６"},
            {"flagInputLabel", "フラグ１"},
            {"targetPortsLabel", "実行対象ポート"},
            {"port1Label", "ドライバー１"},
            {"port4Label", "ドライバー４"},
            {"bitIncreaseLabel", "増有効"},
            {"bitDecreaseLabel", "減有効"},
            {"speed1Label", "調光速度"},
            {"brightness1Label", "目的輝度%"},
            {"pause1Label", "ポーズ"},
            {"pause2Label", "ポーズ"},
            {"instruction2Label", "有効"},
            {"keyFlagLabel", "キーフラグ"},
            {"waitForEndLabel", "終了待ち"},
            {"instruction1Frame", "実行命令１"},
            {"instruction2Frame", "実行命令２"},
            {"bitConditionFrame", "ビット増減判定"},
            {"repeatCountFrame", "繰り返し数"},
            {"wire1Frame", ""},
            {"flagInputFrame", ""},
            {"addButton", "命令追加"},
            {"updateButton", "命令更新"},
            {"deleteButton", "削除"},
            {"clearButton", "消去"},
            {"loadButton", "読み込み"},
            {"saveButton", "保存"},
            {"printButton", "印刷"},
            {"exitButton", "終了"},
            {"downloadButton", "設定ＤＬＬ"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1]);
    }
    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QWidget *widget = control<QWidget>(name);
        QString text;
        if (auto *l = qobject_cast<QLabel *>(widget))
            text = l->text();
        else if (auto *b = qobject_cast<QPushButton *>(widget))
            text = b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(widget))
            text = g->title();
        QCOMPARE(text, caption);
        QVERIFY(widget->isVisible());
        QVERIFY2(QRect(QPoint(), m_window->size()).contains(widget->geometry()) ||
                     widget->parentWidget() != m_window,
                 "control outside the window");
    }

    void keyOptionsStartOnLo()
    {
        for (int g = 1; g <= 7; ++g) {
            for (int i = 0; i < 3; ++i) {
                auto *item = control<QRadioButton>(ControlNames::keyOption(g - 1, i));
                QCOMPARE(item->isChecked(), i == 1);
                QVERIFY(item->isEnabled());
                QVERIFY(item->text().isEmpty());
            }
        }
    }

    void checkBoxesStartClear()
    {
        QStringList names{"port1Check",      "port2Check",       "port3Check",
                          "port4Check",      "keyFlagCheck",     "instruction2Check",
                          "waitForEndCheck", "bitIncreaseCheck", "bitDecreaseCheck"};
        for (const QString &name : names) {
            auto *box = control<QCheckBox>(name);
            QCOMPARE(box->checkState(), Qt::Unchecked);
            QVERIFY(box->text().isEmpty());
        }
    }

    void valueControls_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("start");
        const int rows[7][3] = {{1, 255, 1},  {0, 100, 50}, {0, 255, 0}, {1, 255, 1},
                                {0, 100, 50}, {0, 255, 0},  {1, 255, 1}};
        for (int n = 0; n < 7; ++n)
            QTest::addRow("pair %d", n + 1) << n + 1 << rows[n][0] << rows[n][1] << rows[n][2];
    }
    void valueControls()
    {
        QFETCH(int, n);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, start);
        auto *slider = control<QScrollBar>(ControlNames::slider(n - 1));
        auto *text = control<QLineEdit>(ControlNames::valueText(n - 1));
        QCOMPARE(slider->orientation(), Qt::Vertical);
        QVERIFY(!slider->invertedAppearance()); // minimum at the top
        QCOMPARE(slider->minimum(), minimum);
        QCOMPARE(slider->maximum(), maximum);
        QCOMPARE(slider->value(), start);
        QCOMPARE(slider->singleStep(), 1);
        QCOMPARE(slider->pageStep(), 10);
        QCOMPARE(text->text(), QString::number(start));
        QVERIFY(!text->isEnabled());
        QVERIFY(text->alignment() & Qt::AlignRight);
        QVERIFY(slider->geometry().left() > 0);

        // The text follows the slider whoever moves it: the program, or the user on the bar and
        // on the arrow keys.
        slider->setValue(minimum + 7);
        QCOMPARE(text->text(), QString::number(minimum + 7));
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_PageDown);
        QCOMPARE(text->text(), QString::number(minimum + 17));
        QTest::keyClick(slider, Qt::Key_Up);
        QCOMPARE(text->text(), QString::number(minimum + 16));
        slider->setValue(maximum + 50);
        QCOMPARE(text->text(), QString::number(maximum));
        QTest::keyClicks(text, "9");
        QCOMPARE(text->text(), QString::number(maximum));
    }

    void brightnessSliderTo73()
    {
        control<QScrollBar>("brightness1Slider")->setValue(73);
        QCOMPARE(control<QLineEdit>("brightness1Text")->text(), QStringLiteral("73"));
    }

    void statusLine()
    {
        auto *text8 = control<QLineEdit>("portStatusText");
        auto *text9 = control<QLineEdit>("portStateText");
        QCOMPARE(text8->text(), QStringLiteral("ポートクローズ"));
        QCOMPARE(text9->text(), QStringLiteral("Close"));
        QCOMPARE(text9->palette().color(QPalette::Base),
                 QApplication::palette().color(QPalette::Button));
        QVERIFY(text8->alignment() & Qt::AlignHCenter);
        auto *timer = control<QTimer>("replyTimer");
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 100);
        QVERIFY(control<QPushButton>("downloadButton")->isEnabled());
    }

    void grid()
    {
        StepGrid *grid = control<StepGrid>("stepGrid");
        QVERIFY(qobject_cast<TwoRowHeader *>(grid->horizontalHeader()));
        QCOMPARE(TwoRowHeader::textOf(0, 0), QStringLiteral("ワイヤー"));
        QCOMPARE(TwoRowHeader::textOf(1, 6), QStringLiteral("フラグ"));
        QCOMPARE(TwoRowHeader::textOf(1, 19), QStringLiteral("回数"));
        QCOMPARE(grid->verticalHeader()->count(), 128);
        QVERIFY(qobject_cast<StepNumberHeader *>(grid->verticalHeader()));
        QCOMPARE(StepNumberHeader::numberOf(0), QStringLiteral("1"));
        QCOMPARE(StepNumberHeader::numberOf(127), QStringLiteral("128"));
        for (int r = 0; r < 128; ++r) {
            for (int c = 0; c < 21; ++c)
                QVERIFY(grid->model()->index(r, c).data().toString().isEmpty());
        }
        QCOMPARE(m_window->session()->currentSlot(), 127);
        QCOMPARE(grid->currentIndex().row(), 127);
        QCOMPARE(grid->currentIndex().column(), 20);
        QCOMPARE(grid->rowAt(0), 0); // opens on step 1, not on the current row
        // Headers and numbers stay while the rows scroll, and all 22 columns fit the width.
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        QVERIFY(grid->horizontalHeader()->isVisible());
        QVERIFY(grid->verticalHeader()->isVisible());
        QCOMPARE(grid->horizontalScrollBar()->maximum(), 0);
    }

    void japaneseFontAndFit()
    {
        // The window's face is a fixed-pitch Japanese one: a full-width character takes exactly
        // two half-width columns, and every caption fits its control.
        auto *label = control<QLabel>("wire1Label");
        QCOMPARE(label->font().family(), japaneseFixedFamily());
        const QFontMetricsF metrics(label->font());
        QVERIFY(metrics.inFontUcs4(0x30EF)); // ワ
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("ワ")),
                 2 * metrics.horizontalAdvance(QStringLiteral("W")));
        for (auto *l : m_window->findChildren<QLabel *>())
            QVERIFY2(l->sizeHint().width() <= l->width() + 1, qPrintable(l->objectName()));
        for (auto *b : m_window->findChildren<QPushButton *>())
            QVERIFY2(b->sizeHint().width() <= b->width() + 24, qPrintable(b->objectName()));
    }

    void controlsDoNotOverlap()
    {
        // Siblings may only overlap where a frame stands behind controls placed over it.
        const auto children = m_window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        for (QWidget *a : children) {
            for (QWidget *b : children) {
                if (a >= b || qobject_cast<QGroupBox *>(a) || qobject_cast<QGroupBox *>(b))
                    continue;
                QVERIFY2(!a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + " overlaps " + b->objectName()));
            }
        }
    }

    void exitClosesTheWindow()
    {
        QTest::mouseClick(control<QPushButton>("exitButton"), Qt::LeftButton);
        QVERIFY(!m_window->isVisible());
    }

private:
    MainWindow *m_window = nullptr;
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
