#include "shell/ui/TZielBearbeiten.h"

#include "common/ui/Controls.h"
#include "common/ui/EnterAsTab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <optional>

namespace lobrix::shell {

TZielBearbeiten::TZielBearbeiten(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TZielBearbeiten"));
    setModal(true);
    QLabel *lbZiel = ui::label(this, "lbZiel", QStringLiteral("Besuchsziel"));
    edZiel = ui::lineEdit(this, "edZiel", MaxLength);
    ui::setCaption(edZiel, lbZiel);
    btnAbbrechen = ui::button(this, "btnAbbrechen", QStringLiteral("&Abbrechen"),
                              QStringLiteral("abbrechen ohne Speichern"));
    btnSpeichern = ui::button(this, "btnSpeichern", QStringLiteral("&Speichern"),
                              QStringLiteral("Eintrag speichern"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnAbbrechen);
    buttons->addWidget(btnSpeichern);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lbZiel);
    layout->addWidget(edZiel);
    layout->addLayout(buttons);
    resize(420, 110);

    connect(edZiel, &QLineEdit::textChanged, this, &TZielBearbeiten::edZielChange);
    connect(btnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSpeichern, &QPushButton::clicked, this, &QDialog::accept);
    auto *enter = new ui::EnterAsTab(this);
    // Enter in the field saves, as the default button of a small dialog does.
    enter->setHandler(edZiel, [this] {
        if (btnSpeichern->isEnabled())
            accept();
    });
}

std::optional<QString> TZielBearbeiten::edit(const QString &caption, const QString &text)
{
    setWindowTitle(caption);
    edZiel->setText(text);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return edZiel->text();
}

QString TZielBearbeiten::text() const
{
    return edZiel->text();
}

void TZielBearbeiten::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TZielBearbeiten::FormShow()
{
    edZielChange();
    edZiel->setFocus();
}

void TZielBearbeiten::edZielChange()
{
    btnSpeichern->setEnabled(!edZiel->text().isEmpty());
}

} // namespace lobrix::shell
