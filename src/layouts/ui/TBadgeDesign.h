#pragma once
// "Ausweisdesigner": a badge layout on a card, text and picture items placed with the
// mouse, bound to visit values, given fonts, colours and sizes, the card turned, a test
// badge printed, the result saved as a badge type ("Ausweis <name>.ini") in the database
// folder. The layout is edited in memory (undo and redo of every canvas edit); the
// working copy tmpBadge.ini gets it before a test print or a save, and no layout file
// changes before a save.
#include "layouts/ui/LayoutDesigner.h"

namespace lobrix::layouts {

class TBadgeDesign : public LayoutDesigner {
    Q_OBJECT
public:
    TBadgeDesign(QString startFolder, QString databaseFolder, QWidget *parent = nullptr);

    // Menu "Besucher&ausweis": the opening steps, then the window modally.
    void Besucherausweis1Click();
    // The opening steps: the layout chosen, the working copy made, the canvas loaded.
    void prepare() override;

    QString workingCopy() const override;
    void btnSpeichernClick() override;

protected:
    QString newTextFace() const override;
    void turnDocument(bool portrait, const QPoint &oldOffset) override;
    void writeCanvas() override;
};

} // namespace lobrix::layouts
