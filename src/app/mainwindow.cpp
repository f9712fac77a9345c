#include "mainwindow.h"

#include "downloadtexts.h"
#include "japanesefont.h"
#include "platformseriallink.h"
#include "recoverycopy.h"
#include "seriallink.h"
#include "stepeditor.h"
#include "stepgrid.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QUndoStack>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

using namespace Klv;

namespace {

// The grid's rows are 200 twips high; the form's 15 twips make a pixel.
constexpr int GridRowHeight = 13;

} // namespace

MainWindow::MainWindow(PortMapping portMapping, PortListing portListing, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_ui(std::make_unique<Ui::MainWindow>()), m_steps(new StepTableModel(this)),
      m_portMapping(std::move(portMapping))
{
    // Every text is in the fixed-pitch Japanese face; the form gives sizes and weights.
    QFont face(japaneseFixedFamily());
    face.setPointSize(8);
    setFont(face);
    m_ui->setupUi(this);
    setFixedSize(size());

    m_editor = new StepEditor(*m_ui, this);
    m_serialLink = createPlatformSerialLink(this);
    m_serialLink->setObjectName(QStringLiteral("serialLink"));
    m_download = new SettingsDownload(*m_serialLink, m_portMapping, m_steps->table(), this);
    m_download->setPortListing(std::move(portListing));
    m_lockedDuringTransfer = {m_ui->addButton,   m_ui->updateButton, m_ui->deleteButton,
                              m_ui->clearButton, m_ui->loadButton,   m_ui->saveButton,
                              m_ui->printButton};

    connectControls();
    setUpUndo();
    applyStartupDefaults();
}

MainWindow::~MainWindow()
{
    // The undo stack tells of its emptying as it goes, when the window is no longer there to hear.
    m_undoStack->disconnect(this);
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
    grid()->showTable(m_steps, GridRowHeight);

    connect(m_ui->addButton, &QPushButton::clicked, this, &MainWindow::addClicked);
    connect(m_ui->updateButton, &QPushButton::clicked, this, &MainWindow::updateClicked);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &MainWindow::deleteClicked);
    connect(m_ui->clearButton, &QPushButton::clicked, this, &MainWindow::clearClicked);
    connect(m_ui->loadButton, &QPushButton::clicked, this, &MainWindow::loadClicked);
    connect(m_ui->saveButton, &QPushButton::clicked, this, &MainWindow::saveClicked);
    connect(m_ui->printButton, &QPushButton::clicked, this, &MainWindow::printClicked);
    connect(m_ui->downloadButton, &QPushButton::clicked, this, &MainWindow::downloadClicked);
    connect(m_ui->exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(grid(), &StepGrid::stepRowClicked, this, [this](int slot) { gridClicked(slot); });
    connect(grid(), &StepGrid::headerClicked, this, [this] { gridClicked(std::nullopt); });

    connect(m_download, &SettingsDownload::portUnavailable, this, &MainWindow::showPortPassedOver);
    connect(m_download, &SettingsDownload::greetingUnanswered, this,
            &MainWindow::showPortPassedOver);
    connect(m_download, &SettingsDownload::controllerFound, this, &MainWindow::showControllerFound);
    connect(m_download, &SettingsDownload::transferStarted, this, &MainWindow::showTransferStarted);
    connect(m_download, &SettingsDownload::stepsTaken, this, &MainWindow::showStepsTaken);
    connect(m_download, &SettingsDownload::finished, this, &MainWindow::showDownloadEnded);
    setAcceptDrops(true);

    connect(m_steps, &StepTableModel::dataChanged, this, &MainWindow::tableChanged);
    connect(m_steps, &StepTableModel::modifiedChanged, this, [this](bool modified) {
        setWindowModified(modified);
        updateRecoveryCopy();
    });
#if QT_CONFIG(sessionmanager)
    // The system's log-out asks about unsaved steps as Exit does.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        if (!manager.allowsInteraction())
            return; // the recovery copy keeps the steps
        m_endAgreed = confirmEnd();
        if (!m_endAgreed)
            manager.cancel();
    });
#endif
}

void MainWindow::applyStartupDefaults()
{
    // The grid's preparation leaves its current cell on the last row and column; the grid
    // still opens on its first rows.
    grid()->setAutoScroll(false);
    grid()->setCurrentCell(m_steps->rowCount() - 1, m_steps->columnCount());
    grid()->setAutoScroll(true);

    m_editor->applyStartupDefaults();
    m_ui->portStatusText->setText(DownloadTexts::portClosed());
    showLineState(false);
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
    if (!m_endAgreed && !confirmEnd()) {
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
