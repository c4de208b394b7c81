#pragma once
// Editing one visit destination: its text, "&Speichern" only for a text that is not empty.
// The caller sets the caption ("Besuchsziel hinzufügen" or "Besuchsziel bearbeiten").
#include <QDialog>
#include <QString>

#include <optional>

class QLineEdit;
class QPushButton;

namespace lobrix::shell {

class TZielBearbeiten : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxLength = 100;

    explicit TZielBearbeiten(QWidget *parent = nullptr);

    // Shows the dialog modally with `text`; the text entered, or none when cancelled.
    std::optional<QString> edit(const QString &caption, const QString &text);
    QString text() const;

    void FormShow();
    void edZielChange();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *edZiel = nullptr;
    QPushButton *btnAbbrechen = nullptr;
    QPushButton *btnSpeichern = nullptr;
};

} // namespace lobrix::shell
