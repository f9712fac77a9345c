#include "mainwindow.h"

#include "downloadstatus.h"
#include "endagreement.h"
#include "japanesefont.h"
#include "messagebox.h"
#include "platformseriallink.h"
#include "printpreview.h"
#include "questions.h"
#include "recoverycopy.h"
#include "seriallink.h"
#include "sessiontexts.h"
#include "stepeditor.h"
#include "stepgrid.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

using namespace Klv;

MainWindow::MainWindow(PortMapping portMapping, PortListing portListing, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_ui(std::make_unique<Ui::MainWindow>()), m_session(new EditSession(this)),
      m_portMapping(std::move(portMapping))
{
    // Every text is in the fixed-pitch Japanese face; the form gives sizes and weights.
    QFont face(japaneseFixedFamily());
    face.setPointSize(8);
    setFont(face);
    m_ui->setupUi(this);
    setFixedSize(size());

    m_editor = new StepEditor(*m_ui, this);
    m_endAgreement = new EndAgreement(this);
    m_serialLink = createPlatformSerialLink(this);
    m_serialLink->setObjectName(QStringLiteral("serialLink"));
    m_download = new SettingsDownload(*m_serialLink, m_portMapping, m_session->table(), this);
    m_download->setPortListing(std::move(portListing));
    m_downloadStatus = new DownloadStatusLine(m_download, m_ui->portStatusText, m_ui->portStateText,
                                              m_ui->downloadProgress);

    connectControls();
    addActions();
    m_editor->applyStartupDefaults();
    showSession();
}

MainWindow::~MainWindow()
{
    // A download still running ends before the link it runs on goes with the window's parts.
    m_download->abandon();
}

StepGrid *MainWindow::grid() const
{
    return m_ui->stepGrid;
}

void MainWindow::connectControls()
{
    QFont gridFace = grid()->font();
    gridFace.setPointSizeF(7.5); // so "調光速度" fits its column
    grid()->setFont(gridFace);
    grid()->showTable(m_session->model(), 13); // rows of 200 twips, 15 twips a pixel

    // Each editing button reads the editor, calls one operation and shows what it did.
    connect(m_ui->addButton, &QPushButton::clicked, this,
            [this] { showResult(m_session->add(m_editor->state())); });
    connect(m_ui->updateButton, &QPushButton::clicked, this,
            [this] { showResult(m_session->update(m_editor->state())); });
    connect(m_ui->deleteButton, &QPushButton::clicked, this,
            [this] { showResult(m_session->remove(m_editor->state())); });
    connect(m_ui->clearButton, &QPushButton::clicked, this,
            [this] { showResult(m_session->clear(m_editor->state())); });
    connect(m_ui->loadButton, &QPushButton::clicked, this, &MainWindow::loadClicked);
    // Save always asks where, with its preset name.
    connect(m_ui->saveButton, &QPushButton::clicked, this, [this] { saveProgram({}); });
    connect(m_ui->printButton, &QPushButton::clicked, this, &MainWindow::printClicked);
    connect(m_ui->downloadButton, &QPushButton::clicked, this, &MainWindow::downloadClicked);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(grid(), &StepGrid::stepRowChosen, this,
            [this](int slot) { showResult(m_session->select(slot)); });
    connect(grid(), &StepGrid::headerClicked, this,
            [this] { showResult(m_session->select(std::nullopt)); });
    connect(m_session, &EditSession::changed, this, &MainWindow::showSession);

    connect(m_download, &SettingsDownload::transferStarted, this, [this] { showSending(true); });
    connect(m_download, &SettingsDownload::finished, this, &MainWindow::showDownloadEnded);
    setAcceptDrops(true);

#if QT_CONFIG(sessionmanager)
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        // Without a question allowed, the recovery copy keeps the steps.
        if (manager.allowsInteraction() && !agreeToLogOut())
            manager.cancel();
    });
#endif
}

void MainWindow::addActions()
{
    // Window shortcuts: the keys work wherever the focus is in the window.
    const auto action = [this](const char *name, QList<QKeySequence> keys, auto handler,
                               const QString &text = {}) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QWidget::addAction(action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    m_undoAction = action("undoAction", {QKeySequence(Qt::CTRL | Qt::Key_Z)},
                          [this] { showResult(m_session->undo()); });
    m_redoAction =
        action("redoAction",
               {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
               [this] { showResult(m_session->redo()); });
    // To the file named in the title; a new program goes through Save's dialog.
    m_saveAction = action("saveAction", {QKeySequence(Qt::CTRL | Qt::Key_S)},
                          [this] { saveProgram(m_session->file()); });
    m_loadAction =
        action("loadAction", {QKeySequence(Qt::CTRL | Qt::Key_O)}, &MainWindow::loadClicked);
    m_copyAction = action(
        "copyAction", {QKeySequence(Qt::CTRL | Qt::Key_C)}, [this] { copySteps(false); },
        QStringLiteral("コピー"));
    m_copyAllAction = action(
        "copyAllAction", {}, [this] { copySteps(true); },
        QStringLiteral("すべてのステップをコピー"));
    m_pasteAction = action("pasteAction", {QKeySequence(Qt::CTRL | Qt::Key_V)},
                           &MainWindow::pasteSteps, QStringLiteral("貼り付け"));
    m_previewAction = action(
        "previewAction", {},
        [this] { PrintPreview(m_session->table(), m_session->file(), this).exec(); },
        QStringLiteral("印刷プレビュー"));
    m_greyedWhileSending = {m_ui->addButton,   m_ui->updateButton, m_ui->deleteButton,
                            m_ui->clearButton, m_ui->loadButton,   m_ui->saveButton,
                            m_ui->printButton, m_saveAction,       m_loadAction,
                            m_pasteAction,     m_previewAction};

    grid()->setContextMenu({{m_undoAction, m_redoAction},
                            {m_copyAction, m_copyAllAction, m_pasteAction},
                            {m_previewAction}});
}

void MainWindow::showResult(const EditResult &result, const QString &file)
{
    const QString message = SessionTexts::message(result.message, file);
    if (!message.isEmpty())
        showMessage(this, message);
    if (result.editor)
        m_editor->setState(*result.editor);
}

void MainWindow::showSession()
{
    m_editor->showLockedWires(m_session->lockedWires());
    grid()->showCurrentSlot(m_session->currentSlot(), m_session->isCurrentRowHighlighted());

    setWindowTitle(SessionTexts::windowTitle(m_session->file()));
    setWindowModified(m_session->isModified());

    m_copyAction->setEnabled(m_session->highlightedStep().has_value());
    m_copyAllAction->setEnabled(!m_session->table().isEmpty());
    m_undoAction->setEnabled(m_session->canUndo());
    m_undoAction->setText(SessionTexts::undoEntry(m_session->undoName()));
    m_redoAction->setEnabled(m_session->canRedo());
    m_redoAction->setText(SessionTexts::redoEntry(m_session->redoName()));
}

void MainWindow::keepRecoveryCopy(RecoveryCopy *copy)
{
    const RecoveredProgram left = copy->findLeftover();
    if (left.state == RecoveredProgram::State::Found && Questions::restoreProgram(this, left))
        showResult(m_session->restore(left, m_editor->state()));
    m_recovery = copy;
    // Told once, not at every change after: the copy keeps trying.
    connect(copy, &RecoveryCopy::writeFailed, this,
            [this](const QString &folder, const QString &why) {
                showMessage(this, SessionTexts::recoveryCopyFailed(folder, why));
            });
    // Declined, or nothing found: the table is the new start's, and the copy goes.
    m_session->keepRecoveryCopy(copy);
}

bool MainWindow::agreeToLogOut()
{
    const bool agreed = confirmDiscard(true);
    if (agreed)
        m_endAgreement->agree();
    return agreed;
}

bool MainWindow::event(QEvent *event)
{
    // A dialog that blocked the window has closed: what waited for it comes now, once the
    // code that opened the dialog has finished with it.
    if (event->type() == QEvent::WindowUnblocked)
        QMetaObject::invokeMethod(this, &MainWindow::openPendingFiles, Qt::QueuedConnection);
    return QWidget::event(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Unsaved steps are asked about first; a download goes on meanwhile.
    if (!m_endAgreement->takeAgreement() && !confirmDiscard(true)) {
        event->ignore();
        return;
    }
    // Exit while the controller is being looked for or steps are sent: the port closes, nothing
    // more is sent, and the program ends at once.
    m_download->abandon();
    if (m_recovery)
        m_recovery->discard();
    event->accept();
}
