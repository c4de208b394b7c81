#pragma once
// "neuen Bericht erstellen": composes a report over the visits table for users without
// SQL: the fields shown, up to four conditions joined with AND, up to three sort keys.
// "&Speichern" turns the controls into the SQL text and the state list
// (ReportDefinition); in edit mode the controls are restored from a state list and the
// name stays fixed. The dialog reads and writes no files.
#include "records/ReportSqlBuilder.h"

#include <QDialog>

#include <array>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace lobrix::registration {
class TKalender;
}

namespace lobrix::records {

class TBerichtErstellen : public QDialog {
    Q_OBJECT
public:
    explicit TBerichtErstellen(registration::TKalender *calendar, QWidget *parent = nullptr);

    // Before showing: a new report ("neuer Bericht", every control cleared) ...
    void prepareNew();
    // ... or an existing one, restored from its state list (throws lobrix::Error for a
    // damaged list, before anything is shown).
    void prepareEdit(const QString &name, const QStringList &stateLines);
    bool isEditMode() const { return m_edit; }

    QString reportName() const;
    // What the controls say now (also what "&Speichern" hands over).
    ReportDefinition definition() const;
    QStringList sqlText() const { return definition().sqlLines(); }
    QStringList stateList() const { return definition().stateLines(); }

    // The rules of the controls, also run by the restore.
    void fieldChosen(int row);
    void operatorChosen(int row);
    void dateChosen(int row);
    void sortChosen(int key);
    void clearRow(int row);
    void clearSortKey(int key);
    void pickDate(int row);
    void refreshChecks();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Row {
        QComboBox *field = nullptr;
        QComboBox *op = nullptr;
        QLineEdit *value = nullptr;
        QComboBox *date = nullptr;
        QToolButton *calendar = nullptr;
    };
    struct Sort {
        QComboBox *key = nullptr;
        QRadioButton *up = nullptr;
        QRadioButton *down = nullptr;
        QButtonGroup *group = nullptr;
    };
    void showDateChoice(int row, bool shown);
    void setInputFor(int row);
    void setRadio(int key, bool up, bool down);

    registration::TKalender *m_calendar;
    bool m_edit = false;
    QLineEdit *edName = nullptr;
    std::array<Row, ConditionCount> m_rows;
    std::array<Sort, SortKeyCount> m_sorts;
    std::array<QCheckBox *, DisplayCheckCount> m_checks{}; // in displayOrder()
    QPushButton *btnSpeichern = nullptr;
    QPushButton *btnAbbrechen = nullptr;
};

} // namespace lobrix::records
