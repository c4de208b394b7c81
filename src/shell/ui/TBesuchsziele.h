#pragma once
// "Besuchsziele": the visit destinations of the database folder, listed in name order, with
// "&Neu", "&Bearbeiten" (or a double click), "&Löschen", "&Import" and "S&chließen". Every
// change is stored at once and the list read anew.
#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QPushButton;
class QTableView;

namespace lobrix::data {
class QueryList;
}

namespace lobrix::shell {

class Destinations;
class TZielBearbeiten;

class TBesuchsziele : public QDialog {
    Q_OBJECT
public:
    explicit TBesuchsziele(QString databaseFolder, QWidget *parent = nullptr);
    ~TBesuchsziele() override;

    // The file dialog of "&Import": the chosen file, or empty. Tests replace it.
    using FileChooser = std::function<QString(QWidget *parent)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }
    TZielBearbeiten *editor() const { return m_editor; }

    // Refills the list from Ziele.dbf.
    void BringToGrid();
    QString selectedText() const;
    int rowCount() const;

    void btnNeuClick();
    void btnBearbeitenClick();
    void btnLoeschenClick();
    void btnImportClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_folder;
    std::unique_ptr<Destinations> m_destinations;
    std::unique_ptr<data::QueryList> m_list; // the destinations in Grid
    FileChooser m_chooseFile;
    TZielBearbeiten *m_editor = nullptr;

    QTableView *Grid = nullptr;
    QPushButton *btnLoeschen = nullptr;
    QPushButton *btnBearbeiten = nullptr;
    QPushButton *btnNeu = nullptr;
    QPushButton *btnImport = nullptr;
    QPushButton *btnSchliessen = nullptr;
};

} // namespace lobrix::shell
