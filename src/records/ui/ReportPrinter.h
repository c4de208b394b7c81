#pragma once
// A report printed as a list: page heads ("Druckauswertung ...", "gedruckt am ... um ...",
// "Seite n von m"), the column titles over a rule, one line per record, the columns as
// wide as on screen (6.9 printer pixels per screen pixel at 600 dpi). The orientation is
// decided by the width: landscape when portrait is too narrow. Other resolutions scale
// the same.
#include <QString>

#include <functional>
#include <vector>

class QPainter;
class QPrinter;

namespace lobrix::records {

class ReportGridModel;

class ReportPrinter {
public:
    static constexpr double PixelsPerScreenPixel = 6.9;
    static constexpr int Resolution = 600; // where a screen pixel is 6.9 printer pixels
    static constexpr char TooWideMessage[] =
        "Der angezeigte Bericht übersteigt die maximale Seitenbreite des Druckers.\n"
        "Verringern Sie die Anzahl der angezeigten Spalten, um diesen Bericht drucken zu können.";

    struct Job {
        QString reportName;
        QString currentDate; // DD.MM.YYYY
        QString currentTime; // HH:MM
        std::vector<int> widths; // screen pixels, grid order
        bool alwaysDuration = false;
    };

    // Whether the report fits a landscape page at most (always true without the check).
    static bool fits(QPrinter &printer, const std::vector<int> &widths, bool checkWidth);
    // Sets the orientation the width asks for, whatever was chosen before.
    static void orient(QPrinter &printer, const std::vector<int> &widths);
    // Prints every row of the model with `painter`, begun on `printer` (oriented before);
    // `progress` gets the records printed so far. Returns the number of pages.
    static int print(QPainter &painter, QPrinter &printer, const Job &job, ReportGridModel &model,
                     const std::function<void(int)> &progress = {});
};

} // namespace lobrix::records
