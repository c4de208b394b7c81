#pragma once
// "Berichte": the stored reports of the lists folder on the left ("-- " + name), the
// selected one run into a read-only grid on the right, with quick search, printing,
// export, and (with the right "Berichte erstellen") new, edit, rename and delete. Created
// once at start and only hidden when closed.
#include <QDialog>
#include <QHash>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableView;

namespace lobrix::data {
class QueryList;
class SqlEngine;
class SqlResultModel;
}

namespace lobrix::shell {
class EventLog;
}

namespace lobrix::records {

class ReportFolder;
class ReportGridModel;
class TBerichtErstellen;

class TBerichte : public QDialog {
    Q_OBJECT
public:
    struct Options {
        QString listsFolder;
        QString databaseFolder;
        bool seitenBreitePruefen = true;
        bool immerDauerAusgeben = false;
        // Gets a line for every export of personal data; none when null.
        const shell::EventLog *log = nullptr;
    };
    TBerichte(Options options, TBerichtErstellen *builder, QWidget *parent = nullptr);
    ~TBerichte() override;

    // From the main window's timer: DD.MM.YYYY and HH:MM.
    void setCurrentDateTime(const QString &date, const QString &time);
    // Shows the four maintenance buttons (the right "Berichte erstellen").
    void showMaintenance();
    // The file dialog of "&Exportieren"; tests replace it.
    using FileChooser = std::function<QString(QWidget *parent)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // The menu "&Berichte": shown maximised, the selected report run again.
    void open();

    QStringList entries() const;
    int selectedEntry() const;
    void selectEntry(int index);
    QString selectedName() const;
    ReportGridModel *gridModel() const;
    // The lines that ran, placeholders replaced.
    const QStringList &queryLines() const { return m_lines; }

    void BuildList();
    void RunSelected();
    void Search();
    void btnNeuClick();
    void btnBearbeitenClick();
    void btnUmbenennenClick();
    void finishRename();
    void btnLoeschenClick();
    void btnDruckenClick();
    void btnExportierenClick();
    // Titles, widths and alignment of the grid's columns (after a run and a resize).
    void layoutColumns();
    void saveColumnWidths();
    std::vector<int> columnWidths() const;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void done(int result) override;

private:
    void closeReport();
    void measure();
    void select(const QString &name);

    Options m_options;
    std::unique_ptr<ReportFolder> m_folder;
    TBerichtErstellen *m_builder;
    FileChooser m_chooseFile;
    QString m_date;
    QString m_time;
    QStringList m_lines;
    // The report's result in Grid, shown through a ReportGridModel.
    std::unique_ptr<data::QueryList> m_list;
    // Per run: the widest text of each measured field (lower-case name).
    QHash<QString, int> m_measured;
    bool m_measuredThisRun = false;
    int m_renaming = -1;

    QListWidget *ListBox = nullptr;
    QLineEdit *edFileName = nullptr;
    QTableView *Grid = nullptr;
    QLabel *lbKeinBericht = nullptr;
    QLineEdit *edSuche = nullptr;
    QComboBox *cbxSuche = nullptr;
    QPushButton *btnDrucken = nullptr, *btnExportieren = nullptr;
    QPushButton *btnNeu = nullptr, *btnBearbeiten = nullptr, *btnUmbenennen = nullptr,
                *btnLoeschen = nullptr, *btnSchliessen = nullptr;
    QProgressBar *pgrBar = nullptr;
};

} // namespace lobrix::records
