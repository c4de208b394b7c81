#pragma once
// "Daten löschen": the visits ("Bewegungsdaten") or the pre-registrations whose day lies
// in a range deleted for good, badges still held by deleted visits returned to the pool,
// the table packed. Created once; keeps the choice and the dates between openings.
#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace lobrix::shell {
class EventLog;
}

namespace lobrix::registration {
class TKalender;
}

namespace lobrix::records {

class TLoeschen : public QDialog {
    Q_OBJECT
public:
    // `log`, when given, gets a line for every deletion.
    TLoeschen(QString databaseFolder, registration::TKalender *calendar, const shell::EventLog *log = nullptr,
              QWidget *parent = nullptr);

    static constexpr char DateMask[] = "99.99.9999; ";

    void btnStartClick();
    // The date entry rule, after every change of either field.
    void dateChanged(QLineEdit *field);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void choiceChanged();
    static void selectFirstCharacter(QLineEdit *field);

    QString m_folder;
    const shell::EventLog *m_log;
    registration::TKalender *m_calendar;

    QRadioButton *rdZeitdaten = nullptr, *rdVoranmeldungen = nullptr;
    QGroupBox *gbDatum = nullptr;
    QLineEdit *meDatumVon = nullptr, *meDatumBis = nullptr;
    QToolButton *btnVon = nullptr, *btnBis = nullptr;
    QLabel *lbStatus = nullptr;
    QPushButton *btnStart = nullptr, *btnSchliessen = nullptr;
};

} // namespace lobrix::records
