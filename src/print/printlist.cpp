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
    QPointF origin;   // where the top-left corner of the inked block lands on the paper
    QPointF inkStart; // top-left corner of the inked block in the unscaled lines' coordinates
    double scale = 1; // 1 prints the faces at their nominal sizes
    double pixelsPerPoint = 1;
};

// No character comes closer to the paper's edge than this, whatever the printer says it can print.
constexpr double SmallestMarginMm = 5;

// The part of the pages that carries characters, in unscaled coordinates with the first line's
// top at 0: from the first drawn column to the end of the last, from the top of the first line
// with text to the bottom of the last. Lines are set solid, an em of their face apart: the face's
// own line height would not leave room for 55 steps and the header on the sheet.
QRectF inkedBlock(const QPrinter &printer, const QList<PrintPage> &pages, double pixelsPerPoint)
{
    QRectF block;
    for (const PrintPage &page : pages) {
        double top = 0;
        for (const PrintLine &line : page) {
            const double em = line.points * pixelsPerPoint;
            const QString text = line.text.trimmed();
            if (!text.isEmpty()) {
                const QFontMetricsF metrics(listFont(line.points), &printer);
                const double columnWidth = metrics.horizontalAdvance(u'0');
                qsizetype blanks = 0;
                while (line.text[blanks].isSpace())
                    ++blanks;
                const int firstColumn = displayColumns(QStringView(line.text).first(blanks));
                const QRectF inked(firstColumn * columnWidth, top,
                                   displayColumns(text) * columnWidth, em);
                block = block.isNull() ? inked : block.united(inked);
            }
            top += em;
        }
    }
    return block;
}

// The block goes inside what the printer reports it can print and at least 5 mm inside every
// edge of the paper, centred on the paper as far as that allows. It is shrunk as a whole, never
// wrapped, when it does not fit; every page gets the same place and scale.
ListGeometry listGeometry(const QPrinter &printer, const QList<PrintPage> &pages)
{
    ListGeometry geometry;
    geometry.pixelsPerPoint = printer.resolution() / 72.0;
    const QRectF block = inkedBlock(printer, pages, geometry.pixelsPerPoint);
    geometry.inkStart = block.topLeft();

    QPageLayout printable = printer.pageLayout();
    printable.setMode(QPageLayout::StandardMode);
    printable.setMargins(printable.minimumMargins());
    const QRectF paper = printable.fullRectPixels(printer.resolution());
    const double margin = SmallestMarginMm / 25.4 * printer.resolution();
    const QRectF area = QRectF(printable.paintRectPixels(printer.resolution()))
                            .intersected(paper.adjusted(margin, margin, -margin, -margin));
    geometry.scale = std::min({1.0, area.width() / block.width(), area.height() / block.height()});

    const QSizeF drawn = block.size() * geometry.scale;
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
    painter.translate(-geometry.inkStart);
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
    // Set again only when it differs: setting the size anew forgets the printable area a caller
    // gave the layout.
    if ((!printer.pageLayout().pageSize().isEquivalentTo(QPageSize(QPageSize::A4)) &&
         !printer.setPageSize(QPageSize(QPageSize::A4))) ||
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
