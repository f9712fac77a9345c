#include "form1.h"

#include "japanesefont.h"
#include "platformseriallink.h"
#include "seriallink.h"
#include "stepgrid.h"
#include "steptablemodel.h"
#include "ui_form1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QTimer>

namespace {

// The grid's rows are 200 twips high; the form's 15 twips make a pixel.
constexpr int GridRowHeight = 13;

// The sliders' ranges and start values, in the editor's order.
struct SliderRange
{
    int minimum, maximum, start;
};
constexpr std::array<SliderRange, 7> SliderRanges{{
    {1, 255, 1},  // speed 1
    {0, 100, 50}, // brightness 1, %
    {0, 255, 0},  // pause 1
    {1, 255, 1},  // speed 2
    {0, 100, 50}, // brightness 2, %
    {0, 255, 0},  // pause 2
    {1, 255, 1},  // repeat count
}};

} // namespace

Form1::Form1(PortMapping portMapping, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_ui(std::make_unique<Ui::Form1>()), m_steps(new StepTableModel(this)),
      m_portMapping(std::move(portMapping))
{
    // Every text is in the fixed-pitch Japanese face; the form gives sizes and weights.
    QFont face(japaneseFixedFamily());
    face.setPointSize(8);
    setFont(face);
    m_ui->setupUi(this);
    setFixedSize(size());

    findControls();
    connectControls();
    applyStartupDefaults();
}

Form1::~Form1() = default;

const StepTable &Form1::stepTable() const
{
    return m_steps->table();
}

int Form1::selectedRow() const
{
    return m_selectedSlot ? StepGrid::rowOfSlot(*m_selectedSlot) : 0;
}

void Form1::findControls()
{
    Ui::Form1 &ui = *m_ui;
    m_keyOptions = {{{ui.Option1_0, ui.Option1_1, ui.Option1_2},
                     {ui.Option2_0, ui.Option2_1, ui.Option2_2},
                     {ui.Option3_0, ui.Option3_1, ui.Option3_2},
                     {ui.Option4_0, ui.Option4_1, ui.Option4_2},
                     {ui.Option5_0, ui.Option5_1, ui.Option5_2},
                     {ui.Option6_0, ui.Option6_1, ui.Option6_2},
                     {ui.Option7_0, ui.Option7_1, ui.Option7_2}}};
    // Each group of three is exclusive by itself; the ids are the choices HI, LO and MASK.
    for (int g = 0; g < 7; ++g) {
        m_keyGroups[g] = new QButtonGroup(this);
        m_keyGroups[g]->setObjectName(QStringLiteral("Option%1").arg(g + 1));
        for (int i = 0; i < 3; ++i)
            m_keyGroups[g]->addButton(m_keyOptions[g][i], i);
    }
    m_portChecks = {ui.Check1_0, ui.Check1_1, ui.Check1_2, ui.Check1_3};
    m_keyFlagCheck = ui.Check2;
    m_instruction2Check = ui.Check3;
    m_waitForEndCheck = ui.Check4;
    m_bitIncreaseCheck = ui.Check5;
    m_bitDecreaseCheck = ui.Check6;
    m_valueSliders = {ui.FlatScrollBar1, ui.FlatScrollBar2, ui.FlatScrollBar3, ui.FlatScrollBar4,
                      ui.FlatScrollBar5, ui.FlatScrollBar6, ui.FlatScrollBar7};
    m_valueTexts = {ui.Text1, ui.Text2, ui.Text3, ui.Text4, ui.Text5, ui.Text6, ui.Text7};

    m_grid = ui.MSFlexGrid1;
    m_addButton = ui.Command1;
    m_updateButton = ui.Command7;
    m_deleteButton = ui.Command6;
    m_clearButton = ui.Command8;
    m_loadButton = ui.Command4;
    m_saveButton = ui.Command5;
    m_printButton = ui.Command9;
    m_exitButton = ui.Command3;

    m_downloadButton = ui.Command2;
    m_portStatus = ui.Text8;
    m_portState = ui.Text9;
    m_downloadProgress = ui.downloadProgress;
    m_serialLink = createPlatformSerialLink(this);
    m_serialLink->setObjectName(QStringLiteral("MSComm1"));
    m_download = new SettingsDownload(*m_serialLink, m_portMapping, m_steps->table(), this);
    m_handOverRetry = new QTimer(this);
    m_handOverRetry->setSingleShot(true);
    m_handOverRetry->setInterval(100);
    m_lockedDuringTransfer = {m_addButton,  m_updateButton, m_deleteButton, m_clearButton,
                              m_loadButton, m_saveButton,   m_printButton};
}

void Form1::connectControls()
{
    // The value texts only show their sliders' values; disabled, they keep the normal colour so
    // the values stay easy to read.
    for (int n = 0; n < 7; ++n) {
        QLineEdit *text = m_valueTexts[n];
        QPalette pal = text->palette();
        pal.setColor(QPalette::Disabled, QPalette::Text,
                     pal.color(QPalette::Active, QPalette::Text));
        text->setPalette(pal);
        connect(m_valueSliders[n], &QScrollBar::valueChanged, text,
                [text](int value) { text->setText(QString::number(value)); });
    }

    QFont gridFace = m_grid->font();
    gridFace.setPointSizeF(7.5); // so "調光速度" fits its column
    m_grid->setFont(gridFace);
    m_grid->showTable(m_steps, GridRowHeight);

    connect(m_addButton, &QPushButton::clicked, this, &Form1::addStep);
    connect(m_updateButton, &QPushButton::clicked, this, &Form1::updateStep);
    connect(m_deleteButton, &QPushButton::clicked, this, &Form1::deleteStep);
    connect(m_clearButton, &QPushButton::clicked, this, &Form1::clearTable);
    connect(m_loadButton, &QPushButton::clicked, this, &Form1::loadFile);
    connect(m_saveButton, &QPushButton::clicked, this, &Form1::saveFile);
    connect(m_printButton, &QPushButton::clicked, this, &Form1::printList);
    connect(m_downloadButton, &QPushButton::clicked, this, &Form1::startDownload);
    connect(m_exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_grid, &StepGrid::stepRowClicked, this, [this](int slot) { selectClickedStep(slot); });
    connect(m_grid, &StepGrid::headerClicked, this, [this] { selectClickedStep(std::nullopt); });

    connect(m_download, &SettingsDownload::statusChanged, m_portStatus, &QLineEdit::setText);
    connect(m_download, &SettingsDownload::lineChanged, this, &Form1::showLineState);
    connect(m_download, &SettingsDownload::transferStarted, this, &Form1::transferStarted);
    connect(m_download, &SettingsDownload::stepsTaken, this, &Form1::showStepsTaken);
    connect(m_download, &SettingsDownload::finished, this, &Form1::downloadEnded);
    connect(m_handOverRetry, &QTimer::timeout, this, &Form1::handOverWhenFree);
    setAcceptDrops(true);
}

void Form1::applyStartupDefaults()
{
    // The grid's preparation leaves its current cell on the last row and column; the grid
    // still opens on its first rows.
    m_grid->setAutoScroll(false);
    m_grid->setCurrentCell(m_steps->rowCount() - 1, m_steps->columnCount());
    m_grid->setAutoScroll(true);

    for (auto &group : m_keyOptions)
        group[EditorState::Lo]->setChecked(true);
    m_keyFlagCheck->setChecked(false);

    m_portStatus->setText(QStringLiteral("ポートクローズ"));
    showLineState(false);

    for (int n = 0; n < 7; ++n) {
        m_valueSliders[n]->setRange(SliderRanges[n].minimum, SliderRanges[n].maximum);
        m_valueSliders[n]->setValue(SliderRanges[n].start);
        m_valueTexts[n]->setText(QString::number(m_valueSliders[n]->value()));
    }

    m_bitIncreaseCheck->setChecked(false);
    m_bitDecreaseCheck->setChecked(false);
}

EditorState Form1::editorState() const
{
    const auto checkValue = [](const QCheckBox *box) {
        switch (box->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2; // greyed
        default:
            return 0;
        }
    };
    EditorState editor;
    for (int g = 0; g < 7; ++g) {
        const int item = m_keyGroups[g]->checkedId();
        editor.key[g] = item < 0 ? EditorState::Lo : item;
    }
    for (int p = 0; p < 4; ++p)
        editor.ports[p] = checkValue(m_portChecks[p]);
    editor.keyFlag = checkValue(m_keyFlagCheck);
    editor.instruction2 = checkValue(m_instruction2Check);
    editor.waitForEnd = checkValue(m_waitForEndCheck);
    editor.bitIncrease = checkValue(m_bitIncreaseCheck);
    editor.bitDecrease = checkValue(m_bitDecreaseCheck);
    // The operations read the numbers from the text boxes, which always show a slider's value.
    for (int n = 0; n < 7; ++n)
        editor.values[n] = m_valueTexts[n]->text().toInt();
    return editor;
}

void Form1::setEditorState(const EditorState &editor)
{
    for (int g = 0; g < 7; ++g)
        m_keyOptions[g][editor.key[g]]->setChecked(true);
    const auto setCheck = [](QCheckBox *box, int value) {
        box->setCheckState(value == 1 ? Qt::Checked : Qt::Unchecked);
    };
    for (int p = 0; p < 4; ++p)
        setCheck(m_portChecks[p], editor.ports[p]);
    setCheck(m_instruction2Check, editor.instruction2);
    setCheck(m_waitForEndCheck, editor.waitForEnd);
    setCheck(m_bitIncreaseCheck, editor.bitIncrease);
    setCheck(m_bitDecreaseCheck, editor.bitDecrease);
    for (int n = 0; n < 7; ++n)
        m_valueSliders[n]->setValue(editor.values[n]);
    setCheck(m_keyFlagCheck, editor.keyFlag);
}

void Form1::showWorkStepInEditor()
{
    m_workStep = stepAsShownInEditor(m_workStep);
    setEditorState(editorForStep(m_workStep));
}

void Form1::setWireEnabled(int wire, bool enabled)
{
    for (QRadioButton *item : m_keyOptions[wire - 1])
        item->setEnabled(enabled);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Exit while the controller is being looked for or steps are sent: the port closes, nothing
    // more is sent, and the program ends at once.
    m_download->abandon();
    event->accept();
}
