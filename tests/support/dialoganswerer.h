#pragma once

// Answers the window's modal dialogs from a timer, as a user does.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

// Answers the modal dialogs that open while it lives, from a timer, the way a user does: a file
// dialog gets the next queued answer (a path entered into its name field and accepted with its
// Save or Open button, or Cancel), the "replace?" question the next queued reply, a box without OK
// the button named by the next queued choice, any other box OK.
class DialogAnswerer : public QObject
{
public:
    struct FileDialogSeen
    {
        QString title;
        QStringList filters;
        QString selectedFilter;
        QString presetName;
        QString directory;
        QFileDialog::AcceptMode acceptMode;
        QFileDialog::FileMode fileMode;
        bool nonNative;
        QStringList shownFilters; // as the dialog's list of file types shows them
        QStringList listed;       // the names its file list showed, when asked to wait for them
    };

    DialogAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, &DialogAnswerer::answer);
        m_timer.start(10);
    }

    void typeName(const QString &path) { m_fileAnswers.append(path); }
    void cancel() { m_fileAnswers.append(QString()); }
    // Presses the accept button on the name the dialog presets.
    void acceptPreset() { m_fileAnswers.append(AcceptPreset); }
    // Answers a file dialog only once its file list shows these names (or after 5 s).
    void waitForListing(const QStringList &names) { m_awaitedNames = names; }
    void replyToReplace(bool replace) { m_replaceReplies.append(replace); }
    // Presses the button of that text in the next box that has no OK button.
    void choose(const QString &button) { m_choices.append(button); }

    QList<FileDialogSeen> fileDialogs;
    QStringList messages;
    QStringList replaceQuestions;

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == m_waitingOn)
            return;
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            answerBox(box);
        else if (auto *dialog = qobject_cast<QFileDialog *>(modal))
            answerFileDialog(dialog);
    }

    void answerBox(QMessageBox *box)
    {
        m_waitingOn = nullptr; // a file dialog that asked this is open for answers again
        if (QAbstractButton *yes = box->button(QMessageBox::Yes)) {
            replaceQuestions.append(box->text());
            const bool replace = !m_replaceReplies.isEmpty() && m_replaceReplies.takeFirst();
            QTest::mouseClick(replace ? yes : box->button(QMessageBox::No), Qt::LeftButton);
            return;
        }
        messages.append(box->windowTitle() + u'|' + box->text());
        QAbstractButton *press = box->button(QMessageBox::Ok);
        const QString choice = press || m_choices.isEmpty() ? QString() : m_choices.takeFirst();
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == choice)
                press = button;
        }
        press ? QTest::mouseClick(press, Qt::LeftButton) : box->reject();
    }

    // The names the dialog's file list shows; the list fills in the background.
    static QStringList listedNames(QFileDialog *dialog)
    {
        auto *list = dialog->findChild<QListView *>(QStringLiteral("listView"));
        QStringList names;
        for (int r = 0; r < list->model()->rowCount(list->rootIndex()); ++r)
            names << list->model()->index(r, 0, list->rootIndex()).data().toString();
        names.sort();
        return names;
    }

    void answerFileDialog(QFileDialog *dialog)
    {
        QStringList listed;
        if (!m_awaitedNames.isEmpty()) {
            if (!m_listingWait.isValid())
                m_listingWait.start();
            listed = listedNames(dialog);
            const bool complete = std::all_of(m_awaitedNames.begin(), m_awaitedNames.end(),
                                              [&](const QString &n) { return listed.contains(n); });
            if (!complete && m_listingWait.elapsed() < 5000)
                return; // asked again on the next tick
            m_listingWait.invalidate();
        }
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        QStringList shownFilters;
        for (int i = 0; i < types->count(); ++i)
            shownFilters << types->itemText(i);
        fileDialogs.append(
            {dialog->windowTitle(), dialog->nameFilters(), dialog->selectedNameFilter(),
             name->text(), dialog->directory().absolutePath(), dialog->acceptMode(),
             dialog->fileMode(), dialog->testOption(QFileDialog::DontUseNativeDialog), shownFilters,
             listed});
        QString path = m_fileAnswers.isEmpty() ? QString() : m_fileAnswers.takeFirst();
        const bool asPreset = path == AcceptPreset;
        if (asPreset)
            path = name->text();
        QAbstractButton *accept = nullptr;
        for (QAbstractButton *button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                accept = button;
        }
        if (!path.isEmpty() && !asPreset) {
            // In one go, as pasted: typed key by key, the field's completion list would open
            // whenever the dialog's background file listing arrives, and catch the click.
            name->setText(path);
            if (!accept->isEnabled())
                messages.append(QStringLiteral("dialog would not accept ") + path);
        }
        if (path.isEmpty() || !accept->isEnabled()) {
            QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            return;
        }
        // Queued: accepting may ask "replace?", which this timer must be free to answer.
        m_waitingOn = dialog;
        QTimer::singleShot(0, accept, [accept] { QTest::mouseClick(accept, Qt::LeftButton); });
    }

    static inline const QString AcceptPreset = QStringLiteral("<accept the preset>");

    QTimer m_timer;
    QStringList m_fileAnswers;
    QStringList m_awaitedNames;
    QElapsedTimer m_listingWait;
    QList<bool> m_replaceReplies;
    QStringList m_choices;
    QPointer<QWidget> m_waitingOn;
};
