#pragma once
// The login dialog "Anmeldung": user name, password, "&OK" and "&Abbrechen". Enter moves
// from the name to the password and from there to the button.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace lobrix::shell {

class TStart : public QDialog {
    Q_OBJECT
public:
    explicit TStart(QWidget *parent = nullptr);

    QString typedName() const;
    QString typedPassword() const;
    // Empties both fields and puts the focus on the name (before every attempt).
    void reset();

private:
    QLineEdit *edBenutzer;
    QLineEdit *edPasswort;
    QPushButton *btnOK;
    QPushButton *btnAbbrechen;
};

} // namespace lobrix::shell
