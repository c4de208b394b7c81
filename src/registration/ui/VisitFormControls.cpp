#include "registration/ui/VisitFormControls.h"

#include "common/ui/Controls.h"
#include "registration/DepartureService.h"
#include "registration/VisitFormSettings.h"
#include "registration/ui/PhotoPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QToolButton>

namespace lobrix::registration {
namespace {

constexpr int kRowHeight = 26;
constexpr int kFieldsTop = 168;
constexpr int kFieldLeft = 124; // the visitor fields, right of their labels

// The small calendar picture of the two date buttons.
QIcon calendarIcon()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(200, 0, 0));
    for (int y = 8; y <= 12; y += 2)
        for (int x = 3; x <= 12; x += 3)
            p.drawPoint(x, y);
    return QIcon(pm);
}

QFont boldOf(QFont font, int pointSize = 0)
{
    font.setBold(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

} // namespace

void VisitFormControls::createControls(QDialog *form, bool zielFree)
{
    form->setFixedSize(FormWidth, FormHeight);
    createHeader(form);
    createVisitorFields(form);
    createSidePanel(form);
    createInfoPanel(form);
    createLowerPart(form, zielFree);
    setTabOrder();
}

void VisitFormControls::createHeader(QDialog *form)
{
    pnModus = new QFrame(form);
    pnModus->setObjectName(QStringLiteral("pnModus"));
    pnModus->setGeometry(0, 0, FormWidth, 30);
    lbModus = ui::label(pnModus, "lbModus", QString());
    lbModus->setGeometry(0, 0, FormWidth, 30);
    lbModus->setAlignment(Qt::AlignCenter);
    lbModus->setFont(boldOf(lbModus->font(), 12));
    ui::setInk(lbModus, Qt::white);

    lbAusweis = ui::label(form, "lbAusweis", QStringLiteral("Ausweis Nr."), 8, 42);
    cbxAusweis = ui::comboBox(form, "cbxAusweis", QRect(96, 38, 260, 24));
    ui::setCaption(cbxAusweis, lbAusweis);

    pnAWNManuell = new QFrame(form);
    pnAWNManuell->setObjectName(QStringLiteral("pnAWNManuell"));
    pnAWNManuell->setGeometry(96, 38, 64, 24);
    meAWN = ui::lineEdit(pnAWNManuell, "meAWN", 4, QRect(0, 0, 64, 24));
    meAWN->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), meAWN));
    meAWN->setAlignment(Qt::AlignCenter);
    ui::setAccessibleCaption(meAWN, QStringLiteral("Ausweis Nr."));
    pnAWNManuell->hide();

    btnStammAuswahl = ui::button(form, "btnStammAuswahl", QStringLiteral("Auswahl aus Besucherstamm"),
                                 QString(), QRect(96, 36, 200, 28));
    btnStammAuswahl->hide();

    ui::label(form, "lbVorgangNr", QStringLiteral("Vorgang Nr."), 380, 42);
    lbVorgang = ui::label(form, "lbVorgang", QString(), 480, 42);
    lbVorgang->resize(120, lbVorgang->height());
    const QFont strong = boldOf(lbVorgang->font());
    lbVorgang->setFont(strong);

    lbBesuchsbeginn = ui::label(form, "lbBesuchsbeginn", QStringLiteral("Besuchsbeginn"), 8, 70);
    lbBesuchsbeginn->resize(86, lbBesuchsbeginn->height());
    lbTag = ui::label(form, "lbTag", QString(), 96, 70);
    lbTag->resize(80, lbTag->height());
    lbKommt = ui::label(form, "lbKommt", QString(), 180, 70);
    lbKommt->resize(40, lbKommt->height());
    ui::label(form, "lbUhr", QStringLiteral("Uhr"), 222, 70);
    for (QLabel *l : {lbTag, lbKommt})
        l->setFont(strong);

    ui::label(form, "lbBeendet", QStringLiteral("Besuch beendet um"), 380, 70);
    lbGeht = ui::label(form, "lbGeht", noEntry(), 520, 70);
    lbGeht->resize(70, lbGeht->height());
    lbGeht->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui::label(form, "lbDauer", QStringLiteral("Besuchsdauer"), 380, 94);
    // Right-aligned under the departure time.
    lbAnwesend = ui::label(form, "lbAnwesend", noEntry(), 520, 94);
    lbAnwesend->resize(70, lbAnwesend->height());
    lbAnwesend->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui::label(form, "lbStd", QStringLiteral("Std."), 594, 94);
    for (QLabel *l : {lbGeht, lbAnwesend})
        l->setFont(strong);

    pnHinweis = ui::label(form, "pnHinweis", DepartureService::chooseBadgeHint());
    pnHinweis->setGeometry(8, 116, FormWidth - 16, 22);
    pnHinweis->setFrameShape(QFrame::Panel);
    pnHinweis->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pnHinweis->setFont(strong);
    ui::setGround(pnHinweis, Qt::red);
    ui::setInk(pnHinweis, Qt::white);
    pnHinweis->hide();

    lbBestaetigungNotwendig = ui::label(form, "lbBestaetigungNotwendig",
                                        QStringLiteral("Besuchsbestätigung notwendig"), 8, 144);
    lbBestaetigungNotwendig->setFont(strong);
    lbBestaetigungNotwendig->adjustSize();
    ui::setInk(lbBestaetigungNotwendig, Qt::red);
    const int markX = lbBestaetigungNotwendig->geometry().right() + 8;
    lbAusrufezeichen = ui::label(form, "lbAusrufezeichen", QStringLiteral("!"), markX, 138);
    lbAusrufezeichen->setFont(boldOf(strong, 16));
    lbAusrufezeichen->adjustSize();
    ui::setInk(lbAusrufezeichen, Qt::red);
    lbQuittung = ui::label(form, "lbQuittung", QString(), markX + 20, 144);
    lbQuittung->resize(370 - markX - 20, lbQuittung->height());
    lbDrucker = ui::label(form, "lbDrucker", QString(), 380, 144);
    lbDrucker->resize(290, lbDrucker->height());
    for (QWidget *w :
         {static_cast<QWidget *>(lbBestaetigungNotwendig), static_cast<QWidget *>(lbAusrufezeichen),
          static_cast<QWidget *>(lbQuittung), static_cast<QWidget *>(lbDrucker)})
        w->hide();
}

void VisitFormControls::createVisitorFields(QDialog *form)
{
    int y = kFieldsTop;
    const auto row = [&](const char *labelName, const QString &caption, const char *editName,
                         int maxLength, int width) {
        QLabel *l = ui::label(form, labelName, caption, 8, y + 4);
        QLineEdit *e = ui::lineEdit(form, editName, maxLength, QRect(kFieldLeft, y, width, 22));
        ui::setCaption(e, l);
        y += kRowHeight;
        return e;
    };
    edName = row("lbName", QStringLiteral("Name"), "edName", 30, 250);
    edVorname = row("lbVorname", QStringLiteral("Vorname"), "edVorname", 30, 250);
    edFirma = row("lbFirma", QStringLiteral("Firma"), "edFirma", 40, 250);
    edStrasse = row("lbStrasse", QStringLiteral("Strasse"), "edStrasse", 40, 250);
    edPLZ = row("lbPLZ", QStringLiteral("PLZ"), "edPLZ", 10, 90);
    edOrt = row("lbOrt", QStringLiteral("Ort"), "edOrt", 30, 250);
    edTel = row("lbTel", QStringLiteral("Telefon"), "edTel", 20, 160);
    edPANr = row("lbPANr", QStringLiteral("PA-Nr."), "edPANr", 20, 160);
    edKFZ = row("lbKFZ", QStringLiteral("Kfz-Kz."), "edKFZ", 10, 90);

    QLabel *lbLand = ui::label(form, "lbLand", QStringLiteral("Land"), 8, y + 4);
    cbxLand = ui::comboBox(form, "cbxLand", QRect(kFieldLeft, y, 250, 22));
    cbxLand->setEditable(true);
    cbxLand->setInsertPolicy(QComboBox::NoInsert);
    cbxLand->lineEdit()->setMaxLength(40);
    ui::setCaption(cbxLand, lbLand);
    y += kRowHeight;

    lbBemerk = ui::label(form, "lbBemerk", QStringLiteral("Bemerkungen"), 8, y + 4);
    lbBemerk->resize(100, lbBemerk->height());
    edBemerk = ui::lineEdit(form, "edBemerk", 100, QRect(kFieldLeft, y, 250, 22));
    // Captions the settings may change: named, not made buddies (an "&" in them stays text).
    ui::setAccessibleCaption(edBemerk, lbBemerk->text());
    y += kRowHeight;

    QLabel *lbVon = ui::label(form, "lbVon", QStringLiteral("Ausweis gültig von"), 8, y + 4);
    meVon = ui::lineEdit(form, "meVon", 10, QRect(kFieldLeft, y, 84, 22));
    ui::setCaption(meVon, lbVon);
    btnKalender1 = ui::toolButton(form, "btnKalender1", QStringLiteral("Datum aus Kalender auswählen"),
                                  QRect(kFieldLeft + 86, y, 24, 22));
    QLabel *lbBis = ui::label(form, "lbBis", QStringLiteral("bis"), kFieldLeft + 116, y + 4);
    meBis = ui::lineEdit(form, "meBis", 10, QRect(kFieldLeft + 138, y, 84, 22));
    ui::setCaption(meBis, lbBis);
    ui::setAccessibleCaption(meBis, QStringLiteral("Ausweis gültig bis"));
    btnKalender2 = ui::toolButton(form, "btnKalender2", QStringLiteral("Datum aus Kalender auswählen"),
                                  QRect(kFieldLeft + 224, y, 24, 22));
    for (QToolButton *b : {btnKalender1, btnKalender2})
        b->setIcon(calendarIcon());

    // The "*" marks, indexed in the order of the mandatory-field settings.
    const auto mark = [&](MandatoryField field, QWidget *control, const char *name) {
        mandatory.addMark(int(field), control, name);
    };
    mark(MandatoryField::Name, edName, "lbNameSoll");
    mark(MandatoryField::Vorname, edVorname, "lbVornameSoll");
    mark(MandatoryField::PANr, edPANr, "lbPANrSoll");
    mark(MandatoryField::Firma, edFirma, "lbFirmaSoll");
    mark(MandatoryField::Strasse, edStrasse, "lbStrasseSoll");
    mark(MandatoryField::PLZ, edPLZ, "lbPLZSoll");
    mark(MandatoryField::Ort, edOrt, "lbOrtSoll");
    mark(MandatoryField::Land, cbxLand, "lbLandSoll");
    mark(MandatoryField::KFZ, edKFZ, "lbKFZSoll");
    mark(MandatoryField::Telefon, edTel, "lbTelSoll");

    // The check watches every field but the remark.
    for (QLineEdit *e : {edName, edVorname, edFirma, edKFZ, edPANr, edTel, edStrasse, edPLZ, edOrt})
        mandatory.watch(e);
    mandatory.watch(cbxLand);
}

void VisitFormControls::createSidePanel(QDialog *form)
{
    const int x = 400;
    pnFoto = new PhotoPanel(form);
    pnFoto->move(x, kFieldsTop);
    btnFoto = ui::toolButton(form, "btnFoto", QStringLiteral("Foto auswählen ..."),
                             QRect(x + PhotoPanel::PanelSize + 4, kFieldsTop, 26, 22));
    btnFoto->setText(QStringLiteral("..."));
    lbBildpfad = ui::label(form, "lbBildpfad", QString(), x, kFieldsTop + PhotoPanel::PanelSize + 2);
    lbBildpfad->hide();

    const auto small = [&](const char *name, QStyle::StandardPixmap icon, const QString &hint, int y) {
        QToolButton *b = ui::toolButton(form, name, hint, QRect(FormWidth - 8 - 26, y, 26, 24));
        b->setIcon(form->style()->standardIcon(icon));
        return b;
    };
    btnStamm = small("btnStamm", QStyle::SP_FileDialogDetailedView,
                     QStringLiteral("Besucher aus Besucherstamm auswählen"), kFieldsTop);
    btnVoranmeldung = small("btnVoranmeldung", QStyle::SP_FileDialogContentsView,
                            QStringLiteral("vorangemeldeten Besucher auswählen"), kFieldsTop + 28);

    const int typeY = kFieldsTop + PhotoPanel::PanelSize + 24;
    QLabel *lbAusweisTyp = ui::label(form, "lbAusweisTyp", QStringLiteral("Typ"), x, typeY + 4);
    cbxAusweisTyp = ui::comboBox(form, "cbxAusweisTyp", QRect(x + 30, typeY, FormWidth - 8 - x - 30, 22));
    ui::setCaption(cbxAusweisTyp, lbAusweisTyp);
    ui::setAccessibleCaption(cbxAusweisTyp, QStringLiteral("Ausweistyp"));

    btnAusweis = ui::button(form, "btnAusweis", QStringLiteral("&Ausweis drucken"),
                            QStringLiteral("Besucherausweis drucken"), QRect(x, typeY + 30, 136, 28));
    btnBestaetigung = ui::button(form, "btnBestaetigung", QStringLiteral("&Besuchsbestätigung"),
                                 QStringLiteral("Besuchsbestätigung drucken"),
                                 QRect(x + 140, typeY + 30, FormWidth - 8 - x - 140, 28));

    chkUebernahme = ui::checkBox(form, "chkUebernahme", QStringLiteral("in Besucherstamm aufnehmen"),
                                 QRect(x, typeY + 66, 260, 22));
}

void VisitFormControls::createInfoPanel(QDialog *form)
{
    pnInfo = new QGroupBox(QStringLiteral("Hinweise:"), form);
    pnInfo->setObjectName(QStringLiteral("pnInfo"));
    pnInfo->setGeometry(8, InfoPanelTop, FormWidth - 16, InfoPanelHeight);
    for (int i = 0; i < 4; ++i) {
        const int x = 10 + (i / 2) * 330;
        const int y = 22 + (i % 2) * 26;
        const QByteArray check = "chkInfo" + QByteArray::number(i + 1);
        const QByteArray caption = "lbInfo" + QByteArray::number(i + 1);
        chkInfo[i] = ui::checkBox(pnInfo, check.constData(), QString(), QRect(x, y, 20, 20));
        lbInfo[i] = ui::label(pnInfo, caption.constData(), QString());
        lbInfo[i]->setGeometry(x + 22, y + 2, 290, 18);
        lbInfo[i]->setCursor(Qt::PointingHandCursor);
        ui::setAccessibleCaption(chkInfo[i], QStringLiteral("Hinweis %1").arg(i + 1));
    }
}

void VisitFormControls::createLowerPart(QDialog *form, bool zielFree)
{
    pnUnten = new QWidget(form);
    pnUnten->setObjectName(QStringLiteral("pnUnten"));
    pnUnten->setGeometry(0, LowerTop, FormWidth, FormHeight - LowerTop);

    lbRessourcen = ui::label(pnUnten, "lbRessourcen", QStringLiteral("Ressourcen"), 8, 4);
    lbRessourcen->resize(100, lbRessourcen->height());
    edRessourcen = ui::lineEdit(pnUnten, "edRessourcen", 100,
                                QRect(kFieldLeft, 0, FormWidth - 8 - kFieldLeft, 22));
    edRessourcen->setReadOnly(true);
    ui::setAccessibleCaption(edRessourcen, lbRessourcen->text());

    lbZiel = ui::label(pnUnten, "lbZiel", QStringLiteral("Ziel"), 8, 32);
    lbZiel->resize(100, lbZiel->height());
    edZiel = ui::comboBox(pnUnten, "edZiel", QRect(kFieldLeft, 28, 250, 22));
    edZiel->setEditable(zielFree);
    if (zielFree) {
        edZiel->setInsertPolicy(QComboBox::NoInsert);
        edZiel->lineEdit()->setMaxLength(100);
    }
    ui::setAccessibleCaption(edZiel, lbZiel->text());
    mandatory.addMark(int(MandatoryField::Ziel), edZiel, "lbZielSoll");
    mandatory.watch(edZiel);

    chkQuittungErbracht = ui::checkBox(pnUnten, "chkQuittungErbracht", QStringLiteral("Besuch bestätigt"),
                                       QRect(400, 28, 200, 22));

    const int by = 66;
    btnNeu = ui::button(pnUnten, "btnNeu", QStringLiteral("&Neu"),
                        QStringLiteral("neuen Besucher anlegen"), QRect(8, by, 100, 30));
    btnLoeschen = ui::button(pnUnten, "btnLoeschen", QStringLiteral("&Löschen"),
                             QStringLiteral("ausgewählte Besucherdaten löschen"), QRect(112, by, 100, 30));
    btnNeu->hide();
    btnLoeschen->hide();
    btnSpeichern = ui::button(pnUnten, "btnSpeichern", QStringLiteral("&Speichern"), QString(),
                              QRect(400, by, 134, 30));
    btnAbbrechen = ui::button(pnUnten, "btnAbbrechen", QStringLiteral("&Abbrechen"),
                              QStringLiteral("Erfassung abbrechen"), QRect(538, by, FormWidth - 8 - 538, 30));
    mandatory.guard({btnSpeichern, btnAusweis, cbxAusweisTyp});
}

void VisitFormControls::setTabOrder()
{
    const QList<QWidget *> chain = {
        cbxAusweis,   meAWN,           btnStammAuswahl, edName,
        edVorname,    edFirma,         edStrasse,       edPLZ,
        edOrt,        edTel,           edPANr,          edKFZ,
        cbxLand,      edBemerk,        meVon,           meBis,
        btnKalender1, btnKalender2,    btnAusweis,      btnBestaetigung,
        btnStamm,     btnVoranmeldung, chkUebernahme,   cbxAusweisTyp,
        btnFoto,      chkInfo[0],      chkInfo[1],      chkInfo[2],
        chkInfo[3],   edRessourcen,    edZiel,          chkQuittungErbracht,
        btnNeu,       btnLoeschen,     btnSpeichern,    btnAbbrechen};
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

} // namespace lobrix::registration
