#include "shell/ui/TInfo.h"

#include "common/ui/Controls.h"
#include "common/ui/Desktop.h"
#include "common/ui/MessageBoxes.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

namespace lobrix::shell {

using ui::label;

TInfo::TInfo(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setModal(true);
    setFixedSize(360, 300);
    ui::setGround(this, QColor(225, 225, 225));

    pnInfo = new QFrame(this);
    pnInfo->setObjectName(QStringLiteral("pnInfo"));
    pnInfo->setGeometry(10, 10, 340, 240);
    pnInfo->setFrameShape(QFrame::Panel);
    pnInfo->setFrameShadow(QFrame::Sunken);
    ui::setGround(pnInfo, Qt::white);
    pnInfo->setMouseTracking(true);
    pnInfo->installEventFilter(this);

    QLabel *product = label(pnInfo, "lbProdukt", QStringLiteral("Lobrix Version 10.12"), 16, 12);
    QFont productFont(QStringLiteral("Arial"), 14, QFont::Bold);
    product->setFont(productFont);
    product->setStyleSheet(QStringLiteral("color: rgb(0, 125, 240);"));
    product->adjustSize();
    auto *line = new QFrame(pnInfo);
    line->setObjectName(QStringLiteral("shpLinie"));
    line->setGeometry(16, product->geometry().bottom() + 4, 308, 2);
    line->setStyleSheet(QStringLiteral("background-color: rgb(0, 125, 240);"));

    int y = line->geometry().bottom() + 12;
    for (const auto &[name, text] :
         {std::pair{"lbFirma", QStringLiteral("Talvo GmbH")},
          std::pair{"lbStrasse", QStringLiteral("Am Werkstor 7")},
          std::pair{"lbOrt", QStringLiteral("30159 Hannover")},
          std::pair{"lbTelefon", QStringLiteral("Telefon: 0511 4711-0")},
          std::pair{"lbFax", QStringLiteral("Fax: 0511 4711-99")}}) {
        label(pnInfo, name, text, 16, y);
        y += 20;
    }
    y += 8;
    label(pnInfo, "lbEmailText", QStringLiteral("Email:"), 16, y);
    lbEmail = label(pnInfo, "lbEmail", QString::fromLatin1(kEmail), 90, y);
    label(pnInfo, "lbInternetText", QStringLiteral("Internet:"), 16, y + 22);
    lbInternet = label(pnInfo, "lbInternet", QString::fromLatin1(kWeb), 90, y + 22);
    for (QLabel *link : {lbEmail, lbInternet}) {
        setLinkStyle(link, false);
        link->setMouseTracking(true);
        link->installEventFilter(this);
        link->setCursor(Qt::PointingHandCursor);
    }

    btnSchliessen = ui::button(this, "btnSchliessen", QStringLiteral("&Schließen"), QString(),
                               QRect(260, 262, 90, 26));
    btnSchliessen->setAutoDefault(true); // Enter closes the box
    connect(btnSchliessen, &QPushButton::clicked, this, &QDialog::accept);
}

void TInfo::setLinkStyle(QLabel *link, bool hot)
{
    QFont f = link->font();
    f.setBold(true);
    f.setUnderline(hot);
    link->setFont(f);
    link->setStyleSheet(hot ? QStringLiteral("color: red;") : QStringLiteral("color: blue;"));
    link->adjustSize();
}

void TInfo::hover(const QPoint &pos)
{
    for (QLabel *link : {lbEmail, lbInternet})
        setLinkStyle(link, link->geometry().adjusted(5, 5, -5, -5).contains(pos));
}

bool TInfo::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        auto *w = static_cast<QWidget *>(watched);
        const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
        hover(w == pnInfo ? pos : w->mapTo(pnInfo, pos));
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == lbEmail)
            lbEmailClick();
        else if (watched == lbInternet)
            lbInternetClick();
    }
    return QDialog::eventFilter(watched, event);
}

void TInfo::lbEmailClick()
{
    if (!ui::Desktop::open(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(kEmail))))
        ui::MessageBoxes::show(this, QStringLiteral("Email-Programm konnte nicht geöffnet werden"));
}

void TInfo::lbInternetClick()
{
    if (!ui::Desktop::open(QUrl(QString::fromLatin1(kWeb))))
        ui::MessageBoxes::show(this, QStringLiteral("Browser konnte nicht geöffnet werden"));
}

} // namespace lobrix::shell
