// A scripted user for the real klv90, loaded into it as Qt loads an input plugin
// (QT_QPA_GENERIC_PLUGINS=klv90input). It takes the steps of KLV90_INPUT, separated by ';', one
// after the other, each once it can:
//   click NAME    clicks the button of that object name while no box or dialog is open
//   choose TEXT   presses the button of that text in a message box, and prints "box " and the
//                 box's text, its lines joined by '|'
//   title         prints "title " and the window's title
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
    void act()
    {
        QWidget *window = nullptr;
        for (QWidget *shown : QApplication::topLevelWidgets())
            window = shown->inherits("MainWindow") && shown->isVisible() ? shown : window;
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        const QString verb = m_steps.value(0).section(u' ', 0, 0);
        const QString what = m_steps.value(0).section(u' ', 1);
        QAbstractButton *button = nullptr;
        QString said;
        if (verb == u"choose" && box) {
            for (QAbstractButton *choice : box->buttons())
                button = choice->text() == what ? choice : button;
            said = button ? QStringLiteral("box ") + box->text().replace(u'\n', u'|') : QString();
        } else if (verb == u"click" && window && !box) {
            button = window->findChild<QPushButton *>(what);
        } else if (verb == u"title" && window && !box) {
            said = QStringLiteral("title ") + window->windowTitle();
        }
        if (said.isEmpty() && !button)
            return;
        m_steps.removeFirst();
        if (!said.isEmpty()) {
            std::fputs(qPrintable(said + u'\n'), stdout);
            std::fflush(stdout);
        }
        // From the event loop: a box the click opens must not hold up this timer.
        if (button)
            QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
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
        // Qt deletes it with the application.
        return key == u"klv90input"
                   ? new ScriptedUser(
                         qEnvironmentVariable("KLV90_INPUT").split(u';', Qt::SkipEmptyParts))
                   : nullptr;
    }
};

#include "scripteduser.moc"
