#include "registration/ui/VisitFormBinding.h"

#include "common/ui/Controls.h"
#include "registration/BadgePool.h"
#include "registration/ui/PhotoPanel.h"
#include "registration/ui/VisitFormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace lobrix::registration {
using Filling = ui::MandatoryGroup::Filling;

VisitFormBinding::VisitFormBinding(VisitFormControls &controls, bool zielFree)
    : c(controls), m_zielFree(zielFree)
{
}

void VisitFormBinding::clearVisitor()
{
    const Filling filling(c.mandatory);
    for (QLineEdit *e : {c.edName, c.edVorname, c.edFirma, c.edPANr, c.edKFZ, c.edStrasse, c.edPLZ,
                         c.edOrt, c.edTel, c.edBemerk})
        e->clear();
    setDestination(QString());
    c.cbxLand->setCurrentIndex(-1);
    c.cbxLand->clearEditText();
    c.pnFoto->clear();
    c.lbBildpfad->clear();
}

void VisitFormBinding::setVisitorFields(const VisitData &visit, bool withDestination)
{
    const Filling filling(c.mandatory);
    c.edName->setText(visit.name);
    c.edVorname->setText(visit.vorname);
    c.edFirma->setText(visit.firma);
    c.edPANr->setText(visit.panr);
    c.edKFZ->setText(visit.kfz);
    c.edStrasse->setText(visit.strasse);
    c.edPLZ->setText(visit.plz);
    c.edOrt->setText(visit.ort);
    c.cbxLand->setCurrentIndex(-1);
    c.cbxLand->setEditText(visit.land);
    c.edTel->setText(visit.telefon);
    c.edBemerk->setText(visit.bemerkung);
    if (withDestination)
        setDestination(visit.ziel);
}

void VisitFormBinding::setDestination(const QString &destination)
{
    const Filling filling(c.mandatory);
    if (m_zielFree) {
        c.edZiel->setCurrentIndex(-1);
        c.edZiel->setEditText(destination);
    } else {
        // Only list entries can be chosen: the entry equal to the destination, or none.
        c.edZiel->setCurrentIndex(
            destination.isEmpty() ? -1 : c.edZiel->findText(destination, Qt::MatchExactly));
    }
}

void VisitFormBinding::setInformation(const std::array<bool, 4> &info)
{
    for (int i = 0; i < 4; ++i) {
        c.chkInfo[i]->setChecked(info[i]);
        if (info[i])
            c.lbInfo[i]->show();
        showTicked(i);
    }
}

void VisitFormBinding::showTicked(int index)
{
    ui::setInk(c.lbInfo[index], c.chkInfo[index]->isChecked() ? QColor(0, 0, 255) : QColor(Qt::black));
}

void VisitFormBinding::setValidity(const QString &von, const QString &bis)
{
    const Filling filling(c.mandatory);
    c.meVon->setText(von);
    c.meBis->setText(bis);
}

VisitData VisitFormBinding::visitData() const
{
    VisitData v;
    v.name = c.edName->text();
    v.vorname = c.edVorname->text();
    v.firma = c.edFirma->text();
    v.strasse = c.edStrasse->text();
    v.plz = c.edPLZ->text();
    v.ort = c.edOrt->text();
    v.telefon = c.edTel->text();
    v.panr = c.edPANr->text();
    v.kfz = c.edKFZ->text();
    v.land = c.cbxLand->currentText();
    v.bemerkung = c.edBemerk->text();
    v.ziel = c.edZiel->currentText();
    v.gueltigVon = c.meVon->text();
    v.gueltigBis = c.meBis->text();
    for (int i = 0; i < 4; ++i)
        v.info[i] = !c.lbInfo[i]->isHidden();
    v.photo = c.lbBildpfad->text();
    return v;
}

VisitPrintRequest VisitFormBinding::printRequest(PrintKind kind, const PrintContext &context) const
{
    VisitPrintRequest r;
    r.kind = kind;
    r.visit = visitData();
    r.visitNumber = c.lbVorgang->text();
    if (c.cbxAusweis->currentIndex() >= 0)
        r.badge = BadgePool::badgeOfListEntry(c.cbxAusweis->currentText());
    r.kommt = c.lbKommt->text();
    r.tag = c.lbTag->text();
    r.formDate = context.formDate;
    r.user = context.user;
    r.quittung = context.quittung;
    for (int i = 0; i < 4; ++i) {
        r.infoCaptions[i] = c.lbInfo[i]->text();
        r.infoTicked[i] = c.chkInfo[i]->isChecked();
    }
    r.ressourcen = c.edRessourcen->text();
    if (c.cbxAusweisTyp->currentIndex() >= 0)
        r.badgeLayout = c.cbxAusweisTyp->currentText();
    if (c.pnFoto->hasPhoto())
        r.photo = c.pnFoto->displayed();
    QLabel *status = c.lbDrucker;
    r.showStatus = [status](const QString &text) {
        status->setText(text);
        status->setVisible(!text.isEmpty());
        status->repaint();
    };
    return r;
}

} // namespace lobrix::registration
