#pragma once
// The print dialog that confirms a print: copies start at 1, and a "Vorschau" button shows
// the page as it will come out before the clerk decides. Tests replace the dialog with a
// hook that answers at once, without a modal loop.
#include <functional>

class QPainter;
class QPrinter;
class QWidget;

namespace lobrix::layouts {

class PrintConfirmation
{
public:
    // Paints the one page of the print onto a printer whose job has begun.
    using Paint = std::function<void(QPainter &)>;

    // True when the clerk confirmed; `printer` is then left as the dialog set it.
    static bool confirm(QWidget *parent, QPrinter &printer, const Paint &paint);
    // The page painted by `paint` on a printer set up like `printer`, in Qt's preview.
    static void preview(QWidget *parent, const QPrinter &printer, const Paint &paint);

    // Stands in for the dialog: gets the printer as it would be shown and answers. An
    // empty hook restores the dialog.
    using Hook = std::function<bool(QPrinter &, QWidget *parent)>;
    static void setHook(Hook hook);
};

} // namespace lobrix::layouts
