#pragma once

#include <QScrollBar>

// A slider of the step editor: a scroll bar that takes the focus with Tab or a click and moves
// with the arrow and Page keys (a plain scroll bar takes no focus), and shows that it has it.
class ValueSlider : public QScrollBar
{
    Q_OBJECT
public:
    explicit ValueSlider(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
