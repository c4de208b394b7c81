#include "shell/ui/TStart.h"

#include "common/ui/Controls.h"
#include "common/ui/EnterAsTab.h"
#include "shell/UsersFile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lobrix::shell {

TStart::TStart(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TStart"));
    setWindowTitle(QStringLiteral("Anmeldung"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    QLabel *lbBenutzer = ui::label(this, "lbBenutzer", QStringLiteral("Benutzername:"));
    QLabel *lbPasswort = ui::label(this, "lbPasswort", QStringLiteral("Passwort:"));
    edBenutzer = ui::lineEdit(this, "edBenutzer", UsersFile::MaxTextLength);
    edPasswort = ui::passwordEdit(this, "edPasswort", UsersFile::MaxTextLength);
    ui::setCaption(edBenutzer, lbBenutzer);
    ui::setCaption(edPasswort, lbPasswort);
    btnOK = ui::button(this, "btnOK", QStringLiteral("&OK"));
    btnAbbrechen = ui::button(this, "btnAbbrechen", QStringLiteral("&Abbrechen"));

    auto *grid = new QGridLayout;
    grid->addWidget(lbBenutzer, 0, 0);
    grid->addWidget(edBenutzer, 0, 1);
    grid->addWidget(lbPasswort, 1, 0);
    grid->addWidget(edPasswort, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnAbbrechen);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setFixedSize(300, 130);

    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
    // Enter moves from the name to the password and on to the buttons, and clicks a button.
    auto *enter = new ui::EnterAsTab(this);
    enter->setHandler(edPasswort, [this] { (btnOK->isEnabled() ? btnOK : btnAbbrechen)->setFocus(); });
    enter->setHandler(btnOK, [this] { btnOK->click(); });
    enter->setHandler(btnAbbrechen, [this] { btnAbbrechen->click(); });
}

QString TStart::typedName() const { return edBenutzer->text(); }

QString TStart::typedPassword() const { return edPasswort->text(); }

void TStart::reset()
{
    edBenutzer->clear();
    edPasswort->clear();
    edBenutzer->setFocus();
}

} // namespace lobrix::shell
