#include "shell/ui/TStart.h"

#include "shell/UsersFile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
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

    auto *lbBenutzer = new QLabel(QStringLiteral("Benutzername:"), this);
    lbBenutzer->setObjectName(QStringLiteral("lbBenutzer"));
    auto *lbPasswort = new QLabel(QStringLiteral("Passwort:"), this);
    lbPasswort->setObjectName(QStringLiteral("lbPasswort"));
    edBenutzer = new QLineEdit(this);
    edBenutzer->setObjectName(QStringLiteral("edBenutzer"));
    edBenutzer->setMaxLength(UsersFile::MaxTextLength);
    edPasswort = new QLineEdit(this);
    edPasswort->setObjectName(QStringLiteral("edPasswort"));
    edPasswort->setMaxLength(UsersFile::MaxTextLength);
    edPasswort->setEchoMode(QLineEdit::Password);
    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnAbbrechen = new QPushButton(QStringLiteral("&Abbrechen"), this);
    btnAbbrechen->setObjectName(QStringLiteral("btnAbbrechen"));
    // Enter is handled by the fields themselves; no button takes it by default.
    btnOK->setAutoDefault(false);
    btnAbbrechen->setAutoDefault(false);

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
    for (QWidget *w : {static_cast<QWidget *>(edBenutzer), static_cast<QWidget *>(edPasswort),
                       static_cast<QWidget *>(btnOK), static_cast<QWidget *>(btnAbbrechen)})
        w->installEventFilter(this);
}

QString TStart::typedName() const { return edBenutzer->text(); }

QString TStart::typedPassword() const { return edPasswort->text(); }

void TStart::reset()
{
    edBenutzer->clear();
    edPasswort->clear();
    edBenutzer->setFocus();
}

bool TStart::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);
    if (watched == edBenutzer) {
        edPasswort->setFocus();
    } else if (watched == edPasswort) {
        (btnOK->isEnabled() ? btnOK : btnAbbrechen)->setFocus();
    } else if (watched == btnOK || watched == btnAbbrechen) {
        static_cast<QPushButton *>(watched)->click();
    }
    return true;
}

} // namespace lobrix::shell
