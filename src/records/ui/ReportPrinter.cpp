#include "records/ui/ReportPrinter.h"

#include "data/SqlResultModel.h"
#include "records/ReportColumns.h"
#include "records/ReportGridModel.h"
#include "records/VisitEndDate.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <numeric>

namespace lobrix::records {
namespace {

// Printer pixels per screen pixel at the printer's resolution.
double scaleOf(const QPrinter &printer)
{
    return ReportPrinter::PixelsPerScreenPixel * printer.resolution() / ReportPrinter::Resolution;
}

double totalWidth(const QPrinter &printer, const std::vector<int> &widths)
{
    return std::accumulate(widths.begin(), widths.end(), 0.0) * scaleOf(printer);
}

int pageWidth(const QPrinter &printer)
{
    return printer.pageLayout().paintRectPixels(printer.resolution()).width();
}

int pageHeight(const QPrinter &printer)
{
    return printer.pageLayout().paintRectPixels(printer.resolution()).height();
}

// The centimetre in printer pixels: the page is taken as 21 cm wide upright, 29 across.
int centimetre(const QPrinter &printer)
{
    return pageWidth(printer) / (printer.pageLayout().orientation() == QPageLayout::Landscape ? 29 : 21);
}

bool tooWide(const QPrinter &printer, const std::vector<int> &widths)
{
    return totalWidth(printer, widths) > pageWidth(printer) - 3 * centimetre(printer);
}

QFont arial(int points, bool bold)
{
    QFont f(QStringLiteral("Arial"), points);
    f.setBold(bold);
    return f;
}

} // namespace

bool ReportPrinter::fits(QPrinter &printer, const std::vector<int> &widths, bool checkWidth)
{
    if (!checkWidth)
        return true;
    printer.setPageOrientation(QPageLayout::Portrait);
    if (tooWide(printer, widths))
        printer.setPageOrientation(QPageLayout::Landscape);
    return !tooWide(printer, widths);
}

void ReportPrinter::orient(QPrinter &printer, const std::vector<int> &widths)
{
    printer.setPageOrientation(QPageLayout::Portrait);
    if (tooWide(printer, widths))
        printer.setPageOrientation(QPageLayout::Landscape);
}

int ReportPrinter::print(QPainter &p, QPrinter &printer, const Job &job, ReportGridModel &model,
                         const std::function<void(int)> &progress)
{
    data::SqlResultModel &result = model.result();
    while (result.fetch(data::SqlResultModel::FetchBatch * 16)) {
    }
    const int cm = centimetre(printer);
    const double scale = scaleOf(printer);
    const int width = pageWidth(printer);
    const int top = int(cm * 0.5);

    p.setPen(QPen(Qt::black, 2));
    p.setFont(arial(8, false));
    const int pitch = int(QFontMetrics(p.font(), &printer).height() * 1.2);
    const ReportPageMath math{(pageHeight(printer) - top) / pitch - 2};
    const int records = result.rowCount();
    const int pages = math.pages(records);

    const int left = int(cm * 1.5);
    std::vector<double> xs;
    double running = left;
    for (const int w : job.widths) {
        xs.push_back(running);
        running += w * scale;
    }
    const auto &columns = model.columns();
    const auto titleOf = [&](size_t c) { return c < columns.size() ? columns[c].title : QString(); };
    const auto yOf = [&](int line) { return line * pitch + top; };
    const auto write = [&](int x, int line, const QString &text) {
        p.drawText(x, yOf(line) + QFontMetrics(p.font(), &printer).ascent(), text);
    };

    int page = 1;
    const auto head = [&](int line) {
        p.setFont(arial(12, true));
        write(left, line, QStringLiteral("Druckauswertung ") + job.reportName);
        p.setFont(arial(9, false));
        write(left, line + 2, QStringLiteral("gedruckt am %1 um %2").arg(job.currentDate, job.currentTime));
        const QString pageText = QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
        write(width - left - QFontMetrics(p.font(), &printer).horizontalAdvance(pageText), line + 2, pageText);
        p.setFont(arial(9, true));
        const QFontMetrics bold(p.font(), &printer);
        for (size_t c = 0; c < xs.size(); ++c) {
            const QString t = titleOf(c);
            int x = int(xs[c]);
            if (printAlignment(t) == ColumnAlign::Centre)
                x = int(xs[c] + job.widths[c] * scale * 0.5 - bold.horizontalAdvance(t) / 2);
            write(x, line + 5, t);
        }
        p.drawLine(left, yOf(line + 6) + 10, width - left, yOf(line + 6) + 10);
        p.setFont(arial(9, false));
    };

    int line = 1;
    head(line);
    line += 7;
    const QFontMetrics boldTitles(arial(9, true), &printer);
    for (int row = 0; row < records; ++row) {
        if (line >= math.lineLimit) {
            printer.newPage();
            ++page;
            line = 1;
            head(line);
            line += 7;
        }
        const QFontMetrics fm(p.font(), &printer);
        const auto field = [&](const QString &name) -> std::optional<QString> {
            const int c = result.columnIndex(name);
            return c < 0 ? std::nullopt : std::optional<QString>(result.text(row, c));
        };
        for (size_t c = 0; c < xs.size(); ++c) {
            const QString t = titleOf(c);
            QString v = result.text(row, int(c));
            const double colWidth = job.widths[c] * scale;
            const auto centred = [&](const QString &text) {
                return int(xs[c] + colWidth * 0.5 - fm.horizontalAdvance(text) / 2);
            };
            switch (printAlignment(t)) {
            case ColumnAlign::Centre:
                if (t == QStringLiteral("BESTÄTIGUNG") || t == QStringLiteral("Bestätigung")) {
                    if (v == u"ja")
                        v = QStringLiteral("erfordert");
                    else if (v == u"nein")
                        v.clear();
                }
                write(centred(v), line, v);
                break;
            case ColumnAlign::Right: {
                if (t == u"DAUER" || t == u"Dauer") {
                    const auto day = field(QStringLiteral("Tag"));
                    if (!day)
                        break; // nothing without the visit day
                    QString end = *day;
                    if (!v.isEmpty()) {
                        const auto begin = field(QStringLiteral("Beginn"));
                        const auto finish = field(QStringLiteral("Ende"));
                        if (!begin || !finish)
                            break;
                        end = VisitEndDate(*day, v, *begin, *finish).value_or(*day);
                    }
                    if (end != *day && !job.alwaysDuration) {
                        const QString bis = QStringLiteral("bis ") + end;
                        write(centred(bis), line, bis);
                        break;
                    }
                }
                write(int(xs[c] + boldTitles.horizontalAdvance(t) - fm.horizontalAdvance(v)), line, v);
                break;
            }
            default:
                write(int(xs[c]), line, v);
            }
        }
        if (progress)
            progress(row + 1);
        ++line;
    }
    if (progress)
        progress(0);
    return pages;
}

} // namespace lobrix::records
