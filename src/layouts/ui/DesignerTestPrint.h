#pragma once
// "&Testdruck" of the layout designers: the print dialog; when it is confirmed the
// designer writes its canvas into the working copy, and the working copy prints as the
// test print does (captions, design bitmaps; a badge with its card outline "auf Papier").
#include "layouts/LayoutFamily.h"

#include <QString>

#include <functional>

class QWidget;

namespace lobrix::layouts {

struct Layout;

// True when a page was printed; false when the dialog was cancelled or the printer failed
// (the user has been told).
// `shown` is what the designer shows, for the dialog's preview.
bool printDesignerTest(QWidget *parent, const QString &startFolder, const QString &workingCopy, const Layout &shown,
                       bool cardOutline, const std::function<void()> &writeCanvas);

} // namespace lobrix::layouts
