// The real window on Windows (under Wine on the build machine): its Japanese texts, Save and Load
// through Qt's file dialogs, printing through the system's print dialog, and the download over COM
// ports that lead to the controller simulator. Dialogs and message boxes are answered as a user
// would.
#include "japanesefont.h"
#include "mainwindow.h"
#include "messageboxes.h"
#include "steptablemodel.h"
#include "testports.h"
#include "teststrings.h"
#include "testtexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include <qt_windows.h>

#include <dlgs.h>

using namespace Klv;
using namespace Texts;

namespace {

constexpr int Patience = 20000; // ms; every wait of the tool is far shorter

// A table of 128 steps, every field of every step different from its neighbours', in key order.
QList<Step> fullTable()
{
    QList<Step> steps;
    for (int i = 0; i < StepTable::MaxSteps; ++i)
        steps << Step{qint16(i), 255, qint16(i % 16), qint16(1 + i), qint16(255 - i), 3,
                      1,         127, qint16(i / 2),  qint16(i % 7), qint16(i % 2)};
    return steps;
}

// The settings file of the steps, as the controller's memory would hold them.
QByteArray settingsFileOf(const QList<Step> &steps)
{
    QByteArray bytes("KLV");
    for (const Step &step : steps) {
        for (int i = 0; i < Step::FieldCount; ++i)
            bytes.append(char(step.field(i)));
    }
    return bytes;
}

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Port numbers to COM ports; every other number is a port that does not exist.
PortMapping comPorts(const QMap<int, QString> &ports)
{
    const QString absent = TestPorts::absent();
    return [ports, absent](int number) { return ports.value(number, absent); };
}

// Answers Qt's file dialogs that open while it lives, from a timer: the next queued path is put
// into the name field and accepted with the dialog's Save or Open button.
class FileDialogAnswerer : public QObject
{
public:
    struct Seen
    {
        QString title;
        QString directory;
    };

    FileDialogAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &FileDialogAnswerer::answer);
        m_timer.start(10);
    }
    void enter(const QString &path) { m_paths.append(path); }

    QList<Seen> seen;

private:
    void answer()
    {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || dialog == m_answered || m_paths.isEmpty())
            return;
        seen.append({dialog->windowTitle(), dialog->directory().absolutePath()});
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        name->setText(m_paths.takeFirst());
        for (QAbstractButton *button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                m_answered = dialog;
                QTimer::singleShot(0, button,
                                   [button] { QTest::mouseClick(button, Qt::LeftButton); });
            }
        }
    }

    QTimer m_timer;
    QStringList m_paths;
    QPointer<QFileDialog> m_answered;
};

// Answers the system's print dialog (comdlg32's, which Qt opens on Windows) from a timer, as a
// user would: notes the printer it offers and presses its OK button. Qt's timers run inside the
// dialog's own message loop.
class PrintDialogAnswerer : public QObject
{
public:
    PrintDialogAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &PrintDialogAnswerer::answer);
        m_timer.start(20);
    }

    QString printer;
    bool answered = false;

private:
    static HWND openDialog()
    {
        HWND found = nullptr;
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                wchar_t kind[16] = {};
                GetClassNameW(window, kind, 16);
                if (owner != GetCurrentProcessId() || !IsWindowVisible(window) ||
                    wcscmp(kind, L"#32770") != 0)
                    return TRUE;
                *reinterpret_cast<HWND *>(data) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    void answer()
    {
        HWND dialog = answered ? nullptr : openDialog();
        HWND ok = dialog ? GetDlgItem(dialog, IDOK) : nullptr;
        if (!ok)
            return;
        wchar_t name[256] = {};
        GetWindowTextW(GetDlgItem(dialog, cmb4), name, 256);
        printer = QString::fromWCharArray(name);
        answered = true;
        PostMessageW(ok, BM_CLICK, 0, 0);
    }

    QTimer m_timer;
};

// Whether the file is a whole PDF document.
bool isWholePdf(const QString &path)
{
    const QByteArray bytes = contentsOf(path);
    return bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF");
}

} // namespace

class TestWindowWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> m_window;
    QStringList m_portStatusTexts; // every text the port status box showed

    template <typename T> T *control(const char *name)
    {
        auto *widget = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    void click(const char *button)
    {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }

    // listing: the ports the download tries after port numbers 1 to 30; none unless given.
    void openWindow(
        const PortMapping &ports, const QList<Step> &steps = {},
        const PortListing &listing = [] { return QList<PortInfo>(); })
    {
        m_window = std::make_unique<MainWindow>(ports, listing);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->session()->model()->load(steps);
        m_portStatusTexts.clear();
        connect(control<QLineEdit>("portStatusText"), &QLineEdit::textChanged, this,
                [this](const QString &text) { m_portStatusTexts << text; });
    }

    QList<Step> tableSteps() const { return m_window->session()->table().toList(); }

    void download()
    {
        click("downloadButton");
        QTRY_VERIFY_WITH_TIMEOUT(control<QPushButton>("downloadButton")->isEnabled(), Patience);
    }

private slots:
    void cleanup() { m_window.reset(); }

    // The window's face is the system's Japanese fixed-pitch one, and it has a glyph for every
    // character of every caption.
    void japaneseTexts()
    {
        openWindow(comPorts({}));
        const QString expected = qEnvironmentVariable("KLV_JAPANESE_FACE", "ＭＳ ゴシック");
        QCOMPARE(japaneseFixedFamily(), expected);
        int checked = 0;
        for (QWidget *widget : m_window->findChildren<QWidget *>()) {
            QString text;
            if (auto *label = qobject_cast<QLabel *>(widget))
                text = label->text();
            else if (auto *button = qobject_cast<QAbstractButton *>(widget))
                text = button->text();
            else if (auto *box = qobject_cast<QGroupBox *>(widget))
                text = box->title();
            if (text.isEmpty())
                continue;
            const QFontMetrics metrics(widget->font());
            QCOMPARE(widget->font().family(), expected);
            for (char32_t c : text.toUcs4()) {
                if (c > 0x7F && !metrics.inFontUcs4(c))
                    QFAIL(qPrintable(QStringLiteral("%1: no glyph for %2 in %3")
                                         .arg(widget->objectName(), QString::fromUcs4(&c, 1),
                                              widget->font().family())));
                checked += c > 0x7F;
            }
        }
        QVERIFY2(checked > 100, "too few Japanese characters found in the captions");
    }

    // Save writes the table's settings file through the save dialog, which starts in C:\; Load
    // brings it back into an emptied table.
    void saveAndLoad()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = QDir::toNativeSeparators(dir.filePath(QStringLiteral("KLV-90.zzr")));
        const QList<Step> steps = fullTable();
        openWindow(comPorts({}), steps);
        FileDialogAnswerer dialogs;
        MessageBoxAnswerer boxes;

        dialogs.enter(path);
        click("saveButton");
        QTRY_COMPARE_WITH_TIMEOUT(contentsOf(path), settingsFileOf(steps), Patience);

        click("clearButton");
        QCOMPARE(m_window->session()->table().count(), 0);
        boxes.choose(QStringLiteral("保存しない")); // the emptied table is not the saved one
        dialogs.enter(path);
        click("loadButton");
        QTRY_COMPARE_WITH_TIMEOUT(tableSteps(), steps, Patience);

        QCOMPARE(dialogs.seen.size(), 2);
        QCOMPARE(dialogs.seen[0].title, QStringLiteral("名前を付けて保存"));
        QCOMPARE(dialogs.seen[1].title, QStringLiteral("ファイルの読み込み"));
        for (const auto &dialog : dialogs.seen)
            QCOMPARE(dialog.directory, QStringLiteral("C:/"));
        QCOMPARE(boxes.texts(),
                 QStringList{QStringLiteral(
                     "保存されていないステップがあります。\n開く前に保存しますか？")});
    }

    // Print goes through the system's print dialog to the printer chosen there; the test printer
    // makes a PDF of the job (the driver reads its pages back with poppler-utils).
    void printToPdf()
    {
        const QString pdf = TestPorts::fromEnvironment("KLV_PRINTED_PDF");
        QFile::remove(pdf);
        openWindow(comPorts({}), fullTable());
        PrintDialogAnswerer printDialog;
        MessageBoxAnswerer boxes;
        click("printButton");
        QVERIFY(printDialog.answered);
        QCOMPARE(printDialog.printer, TestPorts::fromEnvironment("KLV_TEST_PRINTER"));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("設定した内容で印刷します")});
        QTRY_VERIFY_WITH_TIMEOUT(isWholePdf(pdf), Patience);
    }

    // Port 1 does not exist and port 2 never answers: the tool passes over both and downloads the
    // full table to the controller on port 3, which receives it byte for byte.
    void downloadFindsController()
    {
        const QString received = TestPorts::receivedProgram();
        QFile::remove(received);
        const QList<Step> steps = fullTable();
        openWindow(comPorts({{2, TestPorts::silent()}, {3, TestPorts::controller()}}), steps);
        MessageBoxAnswerer boxes;
        download();
        QCOMPARE(m_portStatusTexts,
                 (QStringList{"", "2", "3", "ポートオープン", "ポートクローズ"}));
        QCOMPARE(control<QLineEdit>("portStateText")->text(), QStringLiteral("Close"));
        QCOMPARE(boxes.texts(), QStringList{Done});
        QTRY_COMPARE_WITH_TIMEOUT(contentsOf(received), settingsFileOf(steps), Patience);
    }

    void downloadFindsNothing()
    {
        openWindow(comPorts({{2, TestPorts::silent()}}), fullTable());
        MessageBoxAnswerer boxes;
        download();
        QStringList expected{""};
        for (int n = 2; n <= 31; ++n)
            expected << QString::number(n);
        QCOMPARE(m_portStatusTexts, expected << NotFound);
        QCOMPARE(boxes.texts(), QStringList{});
    }

    void downloadFails_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("status");
        QTest::newRow("no reply to a frame") << TestPorts::noReply() << NoReply;
        QTest::newRow("frame refused ten times") << TestPorts::refusing() << NotTaken;
    }
    void downloadFails()
    {
        QFETCH(QString, port);
        QFETCH(QString, status);
        openWindow(comPorts({{1, port}}), fullTable());
        MessageBoxAnswerer boxes;
        download();
        QCOMPARE(m_portStatusTexts, (QStringList{"", "ポートオープン", status}));
        QCOMPARE(control<QLineEdit>("portStateText")->text(), QStringLiteral("Close"));
        QCOMPARE(boxes.texts(),
                 QStringList{status == NotTaken ? failedRefused(0, 128) : failedNoReply(0, 128)});
    }

    // Past port 30 the search goes on through the ports Windows registers: the controller on
    // COM34, which the test driver registered, gets the full table, the port shown by its name.
    void downloadThroughListedPort()
    {
        const QString received = TestPorts::receivedThroughListed();
        QFile::remove(received);
        const QList<Step> steps = fullTable();
        openWindow(comPorts({}), steps, platformSerialPorts);
        MessageBoxAnswerer boxes;
        download();
        QStringList expected{""};
        for (int n = 2; n <= 30; ++n)
            expected << QString::number(n);
        QCOMPARE(m_portStatusTexts.mid(0, expected.size()), expected);
        QCOMPARE(m_portStatusTexts.mid(m_portStatusTexts.size() - 3),
                 (QStringList{TestPorts::listed(), "ポートオープン", "ポートクローズ"}));
        // Between them only the other ports Windows registers (COM1 under Wine).
        QStringList registered;
        for (const PortInfo &port : platformSerialPorts())
            registered << port.name;
        for (const QString &text : m_portStatusTexts.mid(expected.size())
                                       .mid(0, m_portStatusTexts.size() - expected.size() - 3))
            QVERIFY2(registered.contains(text), qPrintable(text));
        QCOMPARE(boxes.texts(), QStringList{Done});
        QTRY_COMPARE_WITH_TIMEOUT(contentsOf(received), settingsFileOf(steps), Patience);
    }
};

QTEST_MAIN(TestWindowWindows)
#include "tst_window_windows.moc"
