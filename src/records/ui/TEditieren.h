#pragma once
// "Besucherdaten editieren": the visits of a day range straight from Besucher.dbf, the
// fields of the current one to correct and save, deleting one visit, removing visits
// without a badge number, and freeing badges no present visitor holds. Each showing
// warns for about four seconds (the buttons stay disabled meanwhile), since nothing here
// keeps other workstations from working on the same tables. Created once; keeps its
// range and fields between openings.
#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;
class QToolButton;

namespace lobrix {
class Clock;
}

namespace lobrix::data {
class QueryList;
class SqlEngine;
class SqlResultModel;
}

namespace lobrix::registration {
class TKalender;
}

namespace lobrix::shell {
class EventLog;
}

namespace lobrix::records {

struct ListedVisit;
class VisitCorrection;

class TEditieren : public QDialog {
    Q_OBJECT
public:
    TEditieren(const QString &databaseFolder, const shell::EventLog &log, registration::TKalender *calendar,
               const Clock &clock, QWidget *parent = nullptr);
    ~TEditieren() override;

    static constexpr int TimerIntervalMs = 200;
    static constexpr int WarningTicks = 20;

    data::SqlResultModel *listModel() const;
    int currentRow() const;
    void selectRow(int row);

    void Relist();
    void Search();
    void btnKalender1Click();
    void btnKalender2Click();
    void btnSpeichernClick();
    void btnLoeschenClick();
    void btnRepairClick();
    void NummernFreigebenClick();
    // One tick of the warning timer.
    void TimerTimer();

protected:
    void showEvent(QShowEvent *event) override;

private:
    friend struct TEditierenFields;
    void showCurrent();
    std::unique_ptr<ListedVisit> listedAt(int row) const;
    void closeList();
    // After a change: the list again, at the visit of that badge, day and arrival, or at
    // the first row.
    void relistAt(const QString &ausweis, const QString &tag, const QString &kommt);
    void setButtonsEnabled(bool enabled);
    QString column(int row, QLatin1String name) const;

    QString m_folder;
    std::unique_ptr<VisitCorrection> m_correction;
    registration::TKalender *m_calendar;
    std::unique_ptr<data::QueryList> m_query; // the visits of the range in DBGrid
    int m_counter = 0;

    QLineEdit *edSuche = nullptr;
    QComboBox *cbxSuche = nullptr;
    QLineEdit *edDatumVon = nullptr, *edDatumBis = nullptr;
    QToolButton *btnKalender1 = nullptr, *btnKalender2 = nullptr, *btnKalender3 = nullptr, *btnKalender4 = nullptr;
    QTableView *DBGrid = nullptr;
    QLineEdit *edName = nullptr, *edVorname = nullptr, *edFirma = nullptr, *edStrasse = nullptr, *edPLZ = nullptr,
              *edOrt = nullptr, *edTel = nullptr, *edPANr = nullptr, *edKFZ = nullptr, *edBemerk = nullptr,
              *edZiel = nullptr, *edLand = nullptr;
    QCheckBox *chkQuittung = nullptr, *chkQuittungErbracht = nullptr;
    QLineEdit *edDatum = nullptr, *edBeginn = nullptr, *edDauer = nullptr, *edEnde = nullptr;
    QLabel *pnHinweis = nullptr;
    QPushButton *btnSpeichern = nullptr, *btnLoeschen = nullptr, *btnRepair = nullptr, *NummernFreigeben = nullptr,
                *btnSchliessen = nullptr;
    QTimer *Timer = nullptr;
};

} // namespace lobrix::records
