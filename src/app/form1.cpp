#include "form1.h"

#include "japanesefont.h"
#include "stepgrid.h"
#include "stepgridmodel.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace {

// The window's design is laid out in twips; 15 twips make one device-independent pixel.
int px(int twips)
{
    return qRound(twips / 15.0);
}

// Rounds the edges, not the size, so controls that touch in the design touch on the screen.
QRect twipRect(int left, int top, int width, int height)
{
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
}

QFont uiFont(double points, bool bold = false)
{
    QFont font(JapaneseFixedFamily());
    // Pixel sizes keep the text in proportion to the twip layout on any screen.
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    font.setBold(bold);
    return font;
}

// A control at a position given in window twips, inside parent, whose own window position
// (in twips) is origin.
template <typename W>
W *place(W *widget, QWidget *parent, QPoint origin, const QString &name, QRect twips)
{
    widget->setParent(parent);
    widget->setObjectName(name);
    widget->setGeometry(
        twipRect(twips.x() - origin.x(), twips.y() - origin.y(), twips.width(), twips.height()));
    return widget;
}

QLabel *label(QWidget *parent, QPoint origin, const QString &name, const QString &text, QRect twips,
              const QFont &font, Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop)
{
    auto *widget = place(new QLabel(text), parent, origin, name, twips);
    widget->setFont(font);
    widget->setAlignment(align);
    // Never cut the text off below: the design's label heights are tight for some faces.
    const int lineHeight = QFontMetrics(font).height();
    if (widget->height() < lineHeight)
        widget->resize(widget->width(), lineHeight);
    return widget;
}

QGroupBox *frame(QWidget *parent, const QString &name, const QString &title, QRect twips)
{
    auto *box = place(new QGroupBox(title), parent, {}, name, twips);
    box->setFont(uiFont(8, true));
    return box;
}

// Indicators without text of their own: the labels beside them say what they mean.
constexpr int IndicatorTwips = 240;

} // namespace

Form1::Form1(PortMapping portMapping, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_portMapping(std::move(portMapping)), m_gridModel(new StepGridModel(m_table, this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("ＫＬＶ－９０"));
    setFixedSize(px(14224), px(8400));
    setFont(uiFont(8));

    m_table.clear();
    buildControls();
    applyStartupDefaults();
}

Form1::~Form1() = default;

void Form1::buildControls()
{
    const QPoint window;
    const QFont labelFont = uiFont(8);
    const QFont headingFont = uiFont(8, true);

    label(this, window, "Label1", QStringLiteral("Klevaro サービスツール"), {3136, 140, 8708, 350},
          uiFont(16, true), Qt::AlignCenter);

    // Key area: six wires in frames of their own, the flag input on the window itself, so each
    // group of three is exclusive by itself.
    label(this, window, "Label11", QStringLiteral("キーデータ"), {1694, 602, 1064, 168},
          headingFont);
    label(this, window, "Label3", QStringLiteral("HI  LO"), {1610, 882, 658, 182}, labelFont);
    label(this, window, "Label4", QStringLiteral("MASK"), {2366, 882, 476, 154}, labelFont);
    const int wireTops[6] = {1218, 1638, 2058, 2478, 2898, 3318};
    const int frameTops[6] = {1078, 1498, 1918, 2338, 2758, 3178};
    for (int w = 0; w < 6; ++w) {
        label(this, window, QStringLiteral("Label2_%1").arg(w),
              QStringLiteral("ワイヤー") + QChar(0xFF11 + w), {490, wireTops[w], 1000, 182},
              labelFont);
        auto *box =
            frame(this, QStringLiteral("Frame3_%1").arg(w), {}, {1568, frameTops[w], 1148, 392});
        // Positions of the items are given within their frame.
        const int itemLefts[3] = {70, 469, 868};
        for (int i = 0; i < 3; ++i) {
            m_keyOptions[w][i] =
                place(new QRadioButton, box, {}, QStringLiteral("Option%1_%2").arg(w + 1).arg(i),
                      {itemLefts[i], 112, IndicatorTwips, IndicatorTwips});
        }
    }
    label(this, window, "Label2_6", QStringLiteral("フラグ１"), {504, 3752, 1000, 182}, labelFont);
    frame(this, QStringLiteral("Frame3_6"), {}, {1554, 3598, 1148, 392});
    const int flagLefts[3] = {1652, 2044, 2422};
    for (int i = 0; i < 3; ++i) {
        m_keyOptions[6][i] =
            place(new QRadioButton, this, window, QStringLiteral("Option7_%1").arg(i),
                  {flagLefts[i], 3752, IndicatorTwips, IndicatorTwips});
    }
    for (int g = 0; g < 7; ++g) {
        m_keyGroups[g] = new QButtonGroup(this);
        m_keyGroups[g]->setObjectName(QStringLiteral("Option%1").arg(g + 1));
        for (int i = 0; i < 3; ++i)
            m_keyGroups[g]->addButton(m_keyOptions[g][i], i);
    }

    // Target ports.
    label(this, window, "Label5", QStringLiteral("実行対象ポート"), {3164, 868, 1316, 182},
          headingFont);
    const int portTops[4] = {1204, 1554, 1904, 2254};
    const int checkTops[4] = {1106, 1456, 1806, 2156};
    for (int p = 0; p < 4; ++p) {
        label(this, window, QStringLiteral("Label6_%1").arg(p),
              QStringLiteral("ドライバー") + QChar(0xFF11 + p), {3122, portTops[p], 1150, 182},
              labelFont);
        Check1[p] = place(new QCheckBox, this, window, QStringLiteral("Check1_%1").arg(p),
                          {4340, checkTops[p], IndicatorTwips, IndicatorTwips});
    }

    // Bit increase/decrease condition: two rows parted by divider lines.
    auto *frame4 = frame(this, QStringLiteral("Frame4"), QStringLiteral("ビット増減判定"),
                         {2884, 2604, 1960, 882});
    const QPoint frame4Origin(2884, 2604);
    label(frame4, frame4Origin, "Label13", QStringLiteral("増有効"), {3100, 2884, 800, 182},
          labelFont);
    Check5 = place(new QCheckBox, frame4, frame4Origin, QStringLiteral("Check5"),
                   {4200, 2856, IndicatorTwips, IndicatorTwips});
    label(frame4, frame4Origin, "Label14", QStringLiteral("減有効"), {3100, 3220, 800, 182},
          labelFont);
    Check6 = place(new QCheckBox, frame4, frame4Origin, QStringLiteral("Check6"),
                   {4200, 3192, IndicatorTwips, IndicatorTwips});
    auto *across =
        place(new QFrame, frame4, frame4Origin, QStringLiteral("Line1"), {2940, 3136, 1848, 30});
    across->setFrameShape(QFrame::HLine);
    across->setFrameShadow(QFrame::Sunken);
    auto *down =
        place(new QFrame, frame4, frame4Origin, QStringLiteral("Line2"), {4040, 2800, 30, 630});
    down->setFrameShape(QFrame::VLine);
    down->setFrameShadow(QFrame::Sunken);

    // Instructions 1 and 2 and the repeat count: a caption above each text box and the slider to
    // its right, minimum at the top.
    struct ValuePair
    {
        int textLeft, textTop, sliderLeft, sliderTop, sliderHeight;
    };
    const ValuePair pairs[7] = {
        {5138, 1638, 6006, 1512, 1610},   {6244, 1638, 7112, 1512, 1610},
        {7378, 1638, 8246, 1512, 1610},   {8876, 1640, 9744, 1526, 1610},
        {10010, 1640, 10878, 1526, 1610}, {11144, 1640, 12012, 1526, 1610},
        {12642, 1652, 13510, 1512, 1624},
    };
    auto *frame1 = frame(this, QStringLiteral("Frame1"), QStringLiteral("実行命令１"),
                         {4928, 1022, 3640, 2142});
    auto *frame2 = frame(this, QStringLiteral("Frame2"), QStringLiteral("実行命令２"),
                         {8680, 1036, 3640, 2142});
    auto *frame5 = frame(this, QStringLiteral("Frame5"), QStringLiteral("繰り返し数"),
                         {12432, 1036, 1526, 2156});
    const QString captions[3] = {QStringLiteral("調光速度"), QStringLiteral("目的輝度%"),
                                 QStringLiteral("ポーズ")};
    for (int n = 0; n < 7; ++n) {
        QGroupBox *box = n < 3 ? frame1 : n < 6 ? frame2 : frame5;
        const QPoint origin = n < 3   ? QPoint(4928, 1022)
                              : n < 6 ? QPoint(8680, 1036)
                                      : QPoint(12432, 1036);
        const ValuePair &pair = pairs[n];
        if (n < 6) {
            label(box, origin, QStringLiteral("Label7_%1").arg(n), captions[n % 3],
                  {pair.textLeft, pair.textTop - 300, 860, 182}, labelFont);
        }
        m_sliders[n] = place(new QScrollBar(Qt::Vertical), box, origin,
                             QStringLiteral("FlatScrollBar%1").arg(n + 1),
                             {pair.sliderLeft, pair.sliderTop, 308, pair.sliderHeight});
        m_sliders[n]->setSingleStep(1);
        m_sliders[n]->setPageStep(10);
    }
    for (int n = 0; n < 7; ++n) {
        // Display only: the slider is the one way to enter the value.
        auto *text = place(new QLineEdit, this, window, QStringLiteral("Text%1").arg(n + 1),
                           {pairs[n].textLeft, pairs[n].textTop, 658, 434});
        text->setFont(uiFont(9));
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        text->setEnabled(false);
        QPalette pal = text->palette();
        pal.setColor(QPalette::Disabled, QPalette::Text,
                     pal.color(QPalette::Active, QPalette::Text));
        text->setPalette(pal);
        m_valueTexts[n] = text;
        connect(m_sliders[n], &QScrollBar::valueChanged, text,
                [text](int value) { text->setText(QString::number(value)); });
    }
    Check3 = place(new QCheckBox, this, window, QStringLiteral("Check3"),
                   {9086, 2324, IndicatorTwips, IndicatorTwips});
    label(this, window, "Label10", QStringLiteral("有効"), {9380, 2352, 600, 182}, labelFont);

    label(this, window, "Label9", QStringLiteral("キーフラグ"), {10346, 3318, 1000, 182},
          labelFont);
    Check2 = place(new QCheckBox, this, window, QStringLiteral("Check2"),
                   {11424, 3262, IndicatorTwips, IndicatorTwips});
    label(this, window, "Label12", QStringLiteral("終了待ち"), {12446, 3304, 800, 182}, labelFont);
    Check4 = place(new QCheckBox, this, window, QStringLiteral("Check4"),
                   {13272, 3206, IndicatorTwips, IndicatorTwips});

    // Command buttons.
    struct Button
    {
        QPushButton **member;
        const char *name;
        const char *caption;
        QRect twips;
        double points;
    };
    const Button buttons[] = {
        {&Command1, "Command1", "命令追加", {2996, 3612, 1498, 392}, 12},
        {&Command7, "Command7", "命令更新", {4494, 3612, 1498, 392}, 12},
        {&Command6, "Command6", "削除", {5992, 3612, 1498, 392}, 9},
        {&Command8, "Command8", "消去", {7490, 3612, 1498, 392}, 9},
        {&Command4, "Command4", "読み込み", {9268, 3612, 1120, 392}, 9},
        {&Command5, "Command5", "保存", {10388, 3612, 1120, 392}, 9},
        {&Command9, "Command9", "印刷", {11508, 3612, 1120, 392}, 9},
        {&Command3, "Command3", "終了", {12628, 3612, 1120, 392}, 9},
        {&Command2, "Command2", "設定ＤＬＬ", {490, 7420, 1638, 308}, 9},
    };
    for (const Button &b : buttons) {
        *b.member = place(new QPushButton(QString::fromUtf8(b.caption)), this, window,
                          QString::fromLatin1(b.name), b.twips);
        (*b.member)->setFont(uiFont(b.points, true));
        (*b.member)->setAutoDefault(false);
    }

    // The step grid.
    MSFlexGrid1 = place(new StepGrid(m_gridModel), this, window, QStringLiteral("MSFlexGrid1"),
                        {168, 4172, 14000, 3136});
    MSFlexGrid1->setFont(uiFont(7.5));
    MSFlexGrid1->horizontalHeader()->setFont(uiFont(7.5));
    MSFlexGrid1->verticalHeader()->setFont(uiFont(7.5));
    MSFlexGrid1->layoutCells(px(200));

    // Status line of the download.
    Text8 = place(new QLineEdit, this, window, QStringLiteral("Text8"), {2226, 7420, 2436, 308});
    Text9 = place(new QLineEdit, this, window, QStringLiteral("Text9"), {4746, 7420, 1232, 308});
    for (QLineEdit *status : {Text8, Text9}) {
        status->setFont(uiFont(8));
        status->setAlignment(Qt::AlignCenter);
        status->setReadOnly(true);
        status->setFocusPolicy(Qt::NoFocus);
    }

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(100);
    setUpDownload();

    connect(Command1, &QPushButton::clicked, this, &Form1::addStep);
    connect(Command7, &QPushButton::clicked, this, &Form1::updateStep);
    connect(Command6, &QPushButton::clicked, this, &Form1::deleteStep);
    connect(Command8, &QPushButton::clicked, this, &Form1::clearTable);
    connect(Command4, &QPushButton::clicked, this, &Form1::loadFile);
    connect(Command5, &QPushButton::clicked, this, &Form1::saveFile);
    connect(Command9, &QPushButton::clicked, this, &Form1::printList);
    connect(Command2, &QPushButton::clicked, this, &Form1::download);
    connect(Command3, &QPushButton::clicked, this, &QWidget::close);
    connect(MSFlexGrid1, &StepGrid::rowClicked, this, &Form1::gridClicked);
}

void Form1::applyStartupDefaults()
{
    // The grid's preparation leaves its current cell on the last row and column; the grid
    // still opens on its first rows.
    MSFlexGrid1->setAutoScroll(false);
    MSFlexGrid1->selectionModel()->setCurrentIndex(
        m_gridModel->index(m_gridModel->rowCount() - 1, m_gridModel->columnCount() - 1),
        QItemSelectionModel::NoUpdate);
    MSFlexGrid1->setAutoScroll(true);

    for (auto &group : m_keyOptions)
        group[EditorState::Lo]->setChecked(true);
    Check2->setChecked(false);

    Text8->setText(QStringLiteral("ポートクローズ"));
    QPalette pal = Text9->palette();
    pal.setColor(QPalette::Base, QApplication::palette().color(QPalette::Button));
    Text9->setPalette(pal);
    Text9->setText(QStringLiteral("Close"));

    struct Range
    {
        int minimum, maximum, start;
    };
    const Range ranges[7] = {{1, 255, 1},  {0, 100, 50}, {0, 255, 0}, {1, 255, 1},
                             {0, 100, 50}, {0, 255, 0},  {1, 255, 1}};
    for (int n = 0; n < 7; ++n) {
        m_sliders[n]->setRange(ranges[n].minimum, ranges[n].maximum);
        m_sliders[n]->setValue(ranges[n].start);
        m_valueTexts[n]->setText(QString::number(m_sliders[n]->value()));
    }

    Check5->setChecked(false);
    Check6->setChecked(false);
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
        editor.ports[p] = checkValue(Check1[p]);
    editor.check2 = checkValue(Check2);
    editor.check3 = checkValue(Check3);
    editor.check4 = checkValue(Check4);
    editor.check5 = checkValue(Check5);
    editor.check6 = checkValue(Check6);
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
        setCheck(Check1[p], editor.ports[p]);
    setCheck(Check3, editor.check3);
    setCheck(Check4, editor.check4);
    setCheck(Check5, editor.check5);
    setCheck(Check6, editor.check6);
    for (int n = 0; n < 7; ++n)
        m_sliders[n]->setValue(editor.values[n]);
    setCheck(Check2, editor.check2);
}

void Form1::WorkStepToEditor()
{
    setEditorState(EditorFromWorkStep(m_workStep));
}

void Form1::FillStepGrid()
{
    m_gridModel->refresh();
}

void Form1::setWireEnabled(int wire, bool enabled)
{
    for (QRadioButton *item : m_keyOptions[wire - 1])
        item->setEnabled(enabled);
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Exit during the greeting wait closes the port; the program then ends at once.
    m_download->abandon();
    event->accept();
}
