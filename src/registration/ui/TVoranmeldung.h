#pragma once
// The pre-registration list "vorangemeldete Besucher": the pre-registrations of today and
// later (or of today only) from Voranmel.dbf, which another application writes, sorted by
// a chosen column, with a quick search, coloured by whether the visitor is present or the
// visit is over. The window remembers its place, size and the today-only box in Fenster.ini.
#include "registration/PreRegistration.h"

#include <QColor>
#include <QDialog>

#include <memory>
#include <optional>

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace lobrix::data {
class QueryList;
class SqlEngine;
class SqlResultModel;
}

namespace lobrix::shell {
class Session;
}

namespace lobrix::registration {

class TVoranmeldung : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinWidth = 645;
    static constexpr int MinHeight = 250;
    // Rows read at every showing before the grid shows them; beyond, as the grid scrolls.
    static constexpr int EagerRows = 200000;

    explicit TVoranmeldung(const shell::Session &session, QWidget *parent = nullptr);
    // Writes the window memory, as at closing (when the window was ever shown).
    ~TVoranmeldung() override;

    // Presets the quick search from the form (by the sort choice), shows the list modally
    // and returns the row taken over.
    std::optional<PreRegistration> pick(const VisitData &current);
    const std::optional<PreRegistration> &takenRow() const { return m_taken; }
    std::optional<PreRegistration> currentRow() const;

    // The statement as it runs now, its date parameter, and the column the search looks in.
    QString statement() const;
    QString searchColumn() const;

    // A row's state by its Vorgang and Anwesend texts.
    enum class State { Open, Present, Finished };
    static State stateOf(const QString &vorgang, const QString &anwesend);
    // How a cell of a row is drawn: its ground and its ink.
    struct Look {
        State state;
        QColor ground;
        QColor ink;
    };
    static Look lookOf(State state, bool today, bool selected, bool focused, const QPalette &palette);

    // Handlers.
    void FormShow();
    void FormResize();
    void FormClose();
    void cbxSortierungChange();
    void edSucheChange();
    void chkHeuteClick();
    void btnSpeichernClick();
    void btnAbbrechenClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void reopen();
    void writeWindowMemory();
    void arrangeColumns();

    QString m_database;
    QString m_fenster; // Fenster.ini
    const shell::Session &m_session;
    bool m_extended;   // VoranmeldungExt
    int m_sort = 4;    // the sort in effect: "Datum"
    bool m_takenOver = false;
    bool m_everShown = false;
    std::optional<PreRegistration> m_taken;
    // The pre-registrations in Grid, their columns named and ordered for the clerk.
    std::unique_ptr<data::QueryList> m_list;
    data::SqlResultModel *resultModel() const;

    QLabel *lbUeberschrift = nullptr;
    QComboBox *cbxSortierung = nullptr;
    QLineEdit *edSuche = nullptr;
    QCheckBox *chkHeute = nullptr;
    QTableView *Grid = nullptr;
    QPushButton *btnSpeichern = nullptr;
    QPushButton *btnAbbrechen = nullptr;
};

} // namespace lobrix::registration
