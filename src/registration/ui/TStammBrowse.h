#pragma once
// The master-data picker "Besucherstamm": every record of Stamm.dbf in a grid, sorted by
// the chosen column, with a quick search on that column. It reads the table anew at every
// showing and lets go of it when it closes, so a deletion can pack the file.
#include "registration/VisitData.h"

#include <QDialog>

#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace lobrix::data {
class QueryList;
}

namespace lobrix::registration {

class TStammBrowse : public QDialog {
    Q_OBJECT
public:
    // Rows read at every showing before the grid shows them; beyond, as the grid scrolls.
    static constexpr int EagerRows = 200000;

    explicit TStammBrowse(QString databaseFolder, QWidget *parent = nullptr);
    ~TStammBrowse() override;

    // The form's preset of the quick search, by the current sort choice: the manual badge
    // number for "Ausweis", the name, first name or company field; "Land" keeps its text.
    void presetSearch(const VisitData &current, const QString &manualBadge);
    // Shows the picker modally; the record taken over, if any.
    std::optional<VisitData> pick(const VisitData &current, const QString &manualBadge);

    bool takenOver() const { return m_takenOver; }
    // The current row as visit data (info[i]: Info<i+1> holds "ja"); none without rows.
    std::optional<VisitData> currentRecord() const;
    // The record taken over when the picker closed last; none when it was cancelled.
    const std::optional<VisitData> &takenRecord() const { return m_taken; }
    QString sortColumn() const;
    QString statement() const;

    // Handlers.
    void FormShow();
    void cbxSortierungChange();
    void edSucheChange();
    void btnSpeichernClick();
    void btnAbbrechenClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void reopen();

    QString m_folder;
    bool m_takenOver = false;
    std::optional<VisitData> m_taken;
    std::unique_ptr<data::QueryList> m_list; // the master records in grdStamm

    QComboBox *cbxSortierung = nullptr;
    QLineEdit *edSuche = nullptr;
    QTableView *grdStamm = nullptr;
    QPushButton *btnSpeichern = nullptr;
    QPushButton *btnAbbrechen = nullptr;
};

} // namespace lobrix::registration
