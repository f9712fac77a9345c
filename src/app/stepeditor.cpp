#include "stepeditor.h"

#include "ui_mainwindow.h"

#include <QButtonGroup>

using namespace Klv;

namespace {

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

// A check box in the editor's values: 0 clear, 1 checked, 2 greyed.
int checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void setCheckValue(QCheckBox *box, int value)
{
    box->setCheckState(value == 1 ? Qt::Checked : Qt::Unchecked);
}

} // namespace

StepEditor::StepEditor(Ui::MainWindow &ui, QObject *parent)
    : QObject(parent), m_portChecks{ui.port1Check, ui.port2Check, ui.port3Check, ui.port4Check},
      m_keyFlagCheck(ui.keyFlagCheck), m_instruction2Check(ui.instruction2Check),
      m_waitForEndCheck(ui.waitForEndCheck), m_bitIncreaseCheck(ui.bitIncreaseCheck),
      m_bitDecreaseCheck(ui.bitDecreaseCheck), m_sliders{ui.speed1Slider,      ui.brightness1Slider,
                                                         ui.pause1Slider,      ui.speed2Slider,
                                                         ui.brightness2Slider, ui.pause2Slider,
                                                         ui.repeatCountSlider},
      m_valueTexts{ui.speed1Text,      ui.brightness1Text, ui.pause1Text,     ui.speed2Text,
                   ui.brightness2Text, ui.pause2Text,      ui.repeatCountText}
{
    // Each group of three is exclusive by itself; the ids are the choices HI, LO and MASK.
    const std::array<std::array<QRadioButton *, 3>, 7> keyOptions{{
        {ui.keyWire1Hi, ui.keyWire1Lo, ui.keyWire1Mask},
        {ui.keyWire2Hi, ui.keyWire2Lo, ui.keyWire2Mask},
        {ui.keyWire3Hi, ui.keyWire3Lo, ui.keyWire3Mask},
        {ui.keyWire4Hi, ui.keyWire4Lo, ui.keyWire4Mask},
        {ui.keyWire5Hi, ui.keyWire5Lo, ui.keyWire5Mask},
        {ui.keyWire6Hi, ui.keyWire6Lo, ui.keyWire6Mask},
        {ui.flagInputHi, ui.flagInputLo, ui.flagInputMask},
    }};
    for (int g = 0; g < 7; ++g) {
        m_keyGroups[g] = new QButtonGroup(this);
        m_keyGroups[g]->setObjectName(g < 6 ? QStringLiteral("keyWire%1Group").arg(g + 1)
                                            : QStringLiteral("flagInputGroup"));
        for (int item : {EditorState::Hi, EditorState::Lo, EditorState::Mask})
            m_keyGroups[g]->addButton(keyOptions[g][item], item);
        // Tab stops at a group once, on the option chosen, whoever chose it; the arrow keys
        // move within the group.
        QButtonGroup *group = m_keyGroups[g];
        connect(group, &QButtonGroup::buttonToggled, this, [group] {
            for (QAbstractButton *option : group->buttons())
                option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        });
    }

    for (int n = 0; n < 7; ++n) {
        // The value texts only show their sliders' values; disabled, they keep the normal
        // colour so the values stay easy to read.
        QLineEdit *text = m_valueTexts[n];
        QPalette pal = text->palette();
        pal.setColor(QPalette::Disabled, QPalette::Text,
                     pal.color(QPalette::Active, QPalette::Text));
        text->setPalette(pal);
        connect(m_sliders[n], &QScrollBar::valueChanged, text,
                [text](int value) { text->setText(QString::number(value)); });
    }
}

void StepEditor::applyStartupDefaults()
{
    for (QButtonGroup *group : m_keyGroups)
        group->button(EditorState::Lo)->setChecked(true);
    m_keyFlagCheck->setChecked(false);
    for (int n = 0; n < 7; ++n) {
        m_sliders[n]->setRange(SliderRanges[n].minimum, SliderRanges[n].maximum);
        m_sliders[n]->setValue(SliderRanges[n].start);
        m_valueTexts[n]->setText(QString::number(m_sliders[n]->value()));
    }
    m_bitIncreaseCheck->setChecked(false);
    m_bitDecreaseCheck->setChecked(false);
}

EditorState StepEditor::state() const
{
    EditorState state;
    for (int g = 0; g < 7; ++g) {
        const int item = m_keyGroups[g]->checkedId();
        state.key[g] = item < 0 ? EditorState::Lo : item;
    }
    for (int p = 0; p < 4; ++p)
        state.ports[p] = checkValue(m_portChecks[p]);
    state.keyFlag = checkValue(m_keyFlagCheck);
    state.instruction2 = checkValue(m_instruction2Check);
    state.waitForEnd = checkValue(m_waitForEndCheck);
    state.bitIncrease = checkValue(m_bitIncreaseCheck);
    state.bitDecrease = checkValue(m_bitDecreaseCheck);
    // The operations read the numbers from the text boxes, which always show a slider's value.
    for (int n = 0; n < 7; ++n)
        state.values[n] = m_valueTexts[n]->text().toInt();
    return state;
}

void StepEditor::setState(const EditorState &state)
{
    for (int g = 0; g < 7; ++g)
        m_keyGroups[g]->button(state.key[g])->setChecked(true);
    for (int p = 0; p < 4; ++p)
        setCheckValue(m_portChecks[p], state.ports[p]);
    setCheckValue(m_instruction2Check, state.instruction2);
    setCheckValue(m_waitForEndCheck, state.waitForEnd);
    setCheckValue(m_bitIncreaseCheck, state.bitIncrease);
    setCheckValue(m_bitDecreaseCheck, state.bitDecrease);
    for (int n = 0; n < 7; ++n)
        m_sliders[n]->setValue(state.values[n]);
    setCheckValue(m_keyFlagCheck, state.keyFlag);
}

void StepEditor::showLockedWires(int lockedWires)
{
    for (int wire = 1; wire <= 6; ++wire) {
        const bool locked = lockedWires & (1 << (wire - 1));
        for (QAbstractButton *option : m_keyGroups[wire - 1]->buttons())
            option->setEnabled(!locked);
    }
}
