// A scripted user for the real klv90, which Qt loads into it as it loads an input plugin
// (QT_QPA_GENERIC_PLUGINS=klv90input). It works the window from KLV90_INPUT, steps separated by
// ';', each taken once the one before is done:
//   click NAME    clicks the button of that object name, once no box or dialog is open
//   choose TEXT   presses the button of that text in the next message box, and prints the box's
//                 text, its lines joined by '|'
//   title         prints the window's title
// Each line it prints goes to stdout at once, for the test to read.
#include <QApplication>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

class ScriptedUser : public QObject
{
public:
    explicit ScriptedUser(const QStringList &steps) : m_steps(steps)
    {
        connect(&m_timer, &QTimer::timeout, this, &ScriptedUser::act);
        m_timer.start(20);
    }

private:
    static void say(const QString &line)
    {
        std::fputs(qPrintable(line + u'\n'), stdout);
        std::fflush(stdout);
    }
    static QWidget *mainWindow()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->inherits("MainWindow") && window->isVisible())
                return window;
        }
        return nullptr;
    }
    // Clicked from the event loop, not from this timer's call: a box the click opens must not
    // keep the timer from answering it.
    static void clickLater(QAbstractButton *button)
    {
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
    }

    void act()
    {
        if (m_steps.isEmpty())
            return;
        const QString verb = m_steps.first().section(u' ', 0, 0);
        const QString what = m_steps.first().section(u' ', 1);
        QWidget *modal = QApplication::activeModalWidget();
        QWidget *window = mainWindow();
        if (verb == u"choose") {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box || !box->isVisible())
                return;
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == what) {
                    m_steps.removeFirst();
                    say(QStringLiteral("box ") + box->text().replace(u'\n', u'|'));
                    clickLater(button);
                }
            }
        } else if (!modal && window) {
            if (verb == u"title") {
                m_steps.removeFirst();
                say(QStringLiteral("title ") + window->windowTitle());
            } else if (auto *button = window->findChild<QPushButton *>(what);
                       verb == u"click" && button && button->isEnabled()) {
                m_steps.removeFirst();
                clickLater(button);
            }
        }
    }

    QStringList m_steps;
    QTimer m_timer;
};

} // namespace

class ScriptedUserPlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "scripteduser.json")
public:
    QObject *create(const QString &key, const QString &) override
    {
        if (key != u"klv90input")
            return nullptr;
        // Qt deletes it with the application.
        return new ScriptedUser(
            qEnvironmentVariable("KLV90_INPUT").split(u';', Qt::SkipEmptyParts));
    }
};

#include "scripteduser.moc"
