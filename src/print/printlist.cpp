#include "printlist.h"

#include "japanesefont.h"
#include "parameterlist.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

namespace Klv {

namespace {

QFont listFont(int points)
{
    QFont font(japaneseFixedFamily());
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(points);
    font.setKerning(false);
    return font;
}

// Where the list stands on the sheet, in device pixels of the printer.
struct ListGeometry
{
    QPointF origin;   // top-left corner of the block on the paper
    double scale = 1; // 1 prints the faces at their nominal sizes
    double pixelsPerPoint = 1;
};

// Lines are set solid, an em of their face apart: the face's own line height would not leave
// room for 55 steps and the header on the sheet. The block of the widest and tallest page is
// centred on the paper and shrunk only when the printer's unprintable edges leave too little room.
ListGeometry listGeometry(const QPrinter &printer, const QList<PrintPage> &pages)
{
    ListGeometry geometry;
    geometry.pixelsPerPoint = printer.resolution() / 72.0;
    QSizeF block;
    for (const PrintPage &page : pages) {
        double height = 0;
        for (const PrintLine &line : page) {
            const QFontMetricsF metrics(listFont(line.points), &printer);
            block.setWidth(std::max(block.width(),
                                    displayColumns(line.text) * metrics.horizontalAdvance(u'0')));
            height += line.points * geometry.pixelsPerPoint;
        }
        block.setHeight(std::max(block.height(), height));
    }

    QPageLayout printable = printer.pageLayout();
    printable.setMode(QPageLayout::StandardMode);
    printable.setMargins(printable.minimumMargins());
    const QRectF area = printable.paintRectPixels(printer.resolution());
    geometry.scale = std::min({1.0, area.width() / block.width(), area.height() / block.height()});

    const QSizeF paper = printable.fullRectPixels(printer.resolution()).size();
    const QSizeF drawn = block * geometry.scale;
    const auto centred = [](double room, double size, double low, double high) {
        return std::max(low, std::min((room - size) / 2, high - size));
    };
    geometry.origin = {centred(paper.width(), drawn.width(), area.left(), area.right()),
                       centred(paper.height(), drawn.height(), area.top(), area.bottom())};
    return geometry;
}

// Each run of non-blank characters is drawn at its own column, so the columns hold even in a
// face whose widths are a little off.
void drawLine(QPainter &painter, const PrintLine &line, double top, double pixelsPerPoint)
{
    const QFont font = listFont(line.points);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    const double columnWidth = metrics.horizontalAdvance(u'0');
    const double em = line.points * pixelsPerPoint;
    const double baseline = top + em * metrics.ascent() / (metrics.ascent() + metrics.descent());

    int column = 0;
    int runColumn = 0;
    QString run;
    const auto flush = [&] {
        if (!run.isEmpty())
            painter.drawText(QPointF(runColumn * columnWidth, baseline), run);
        run.clear();
    };
    for (char32_t c : line.text.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (QChar::isSpace(c)) {
            flush();
        } else {
            if (run.isEmpty())
                runColumn = column;
            run += character;
        }
        column += displayColumns(character);
    }
    flush();
}

void drawPage(QPainter &painter, const PrintPage &page, const ListGeometry &geometry)
{
    painter.resetTransform();
    painter.translate(geometry.origin);
    painter.scale(geometry.scale, geometry.scale);
    double top = 0;
    for (const PrintLine &line : page) {
        drawLine(painter, line, top, geometry.pixelsPerPoint);
        top += line.points * geometry.pixelsPerPoint;
    }
}

// Qt's PDF engine does not report a write that fails (a full disk): a whole file ends in %%EOF.
bool pdfFileComplete(const QPrinter &printer)
{
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty())
        return true;
    QFile file(printer.outputFileName());
    if (!file.open(QIODevice::ReadOnly) || file.size() < 16 || !file.seek(file.size() - 16))
        return false;
    return file.readAll().contains("%%EOF");
}

} // namespace

bool printParameterList(QPrinter &printer, const StepTable &table)
{
    if (!printer.setPageSize(QPageSize(QPageSize::A4)) ||
        !printer.setPageOrientation(QPageLayout::Landscape))
        return false;
    printer.setFullPage(true);

    const QList<PrintPage> pages = parameterListPages(table);
    // A painter begun and ended on nothing still puts out a blank page: begin none.
    if (pages.isEmpty())
        return true;

    const ListGeometry geometry = listGeometry(printer, pages);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        if (p > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        drawPage(painter, pages[p], geometry);
    }
    return painter.end() && printer.printerState() != QPrinter::Error && pdfFileComplete(printer);
}

} // namespace Klv
