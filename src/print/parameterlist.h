#pragma once

#include "steptable.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace Klv {

// The parameter list as text: pages of fixed-column lines for a fixed-pitch face in which a
// full-width character takes two columns. Pure functions of the table; printlist.h draws them.

// One printed line and the size of the face it is printed in, in points.
struct PrintLine
{
    QString text;
    int points = 9;

    friend bool operator==(const PrintLine &, const PrintLine &) = default;
};
using PrintPage = QList<PrintLine>;

constexpr int StepsPerPage = 55;

// The decimal digits of value (0 or more), padded on the left with "0" to three; never cut.
QString threeDigitText(int value);

// The printed line of one step: 175 columns, 183 when both bit conditions are set.
QString stepLine(const Step &step);

// The six lines that open page number page: an empty line and the title at 14 points, then the
// page line, the two column-heading lines and the separator at 9 points.
PrintPage pageHeader(int page);

// The whole list, 55 steps a page, each page opened by its header. No steps, no pages.
QList<PrintPage> parameterListPages(const StepTable &table);

// Width of text in display columns: a full-width character counts two, any other one.
int displayColumns(QStringView text);

} // namespace Klv
