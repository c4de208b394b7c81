#include "records/ui/TBerichte.h"

#include "shell/EventLog.h"

#include "common/FileModes.h"
#include "common/Error.h"
#include "common/TextFile.h"
#include "common/TimeText.h"
#include "common/ui/Controls.h"
#include "common/ui/MessageBoxes.h"
#include "data/SqlEngine.h"
#include "data/ui/QueryList.h"
#include "data/SqlResultModel.h"
#include "data/SqlText.h"
#include "layouts/ui/PrintConfirmation.h"
#include "records/ReportColumnWidths.h"
#include "records/ReportColumns.h"
#include "records/ReportExport.h"
#include "records/ReportFolder.h"
#include "records/ReportGridModel.h"
#include "records/ReportQuery.h"
#include "records/ui/ReportPrinter.h"
#include "records/ui/TBerichtErstellen.h"

#include <QApplication>

#include <array>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace lobrix::records {
namespace {

const QString kSqlFailed = QStringLiteral(
    "Ein Fehler beim Ausführen der SQL-Anweisung ist aufgetreten. Bitte wenden Sie sich an den Administrator.");
const QColor kEvenRow(215, 235, 255);
const QColor kSelectedWithoutFocus(0, 255, 0);

// Light blue even records, lime green selection while the grid has no focus; the text
// placed as the reports have always placed it.
class ReportCellDelegate : public QStyledItemDelegate {
public:
    explicit ReportCellDelegate(QTableView *view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const bool even = (index.row() + 1) % 2 == 0;
        if (!selected && !even) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        const bool focus = m_view->hasFocus();
        const QColor ground = selected ? (focus ? option.palette.highlight().color() : kSelectedWithoutFocus) : kEvenRow;
        const QRect r = option.rect;
        p->save();
        p->fillRect(r, ground);
        p->setClipRect(r);
        p->setFont(option.font);
        p->setPen(selected && focus ? option.palette.highlightedText().color() : QColor(Qt::black));
        const QString text = index.data().toString();
        const QFontMetrics fm(option.font);
        const int w = fm.horizontalAdvance(text);
        const Qt::Alignment a = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        int x = r.left() + 2;
        if (a & Qt::AlignRight)
            x = r.right() - w - 3;
        else if (a & Qt::AlignHCenter)
            x = (r.left() + r.right() - w) / 2 + 1;
        const int y = (r.top() + r.bottom() - fm.height()) / 2;
        p->drawText(x, y + fm.ascent(), text);
        p->restore();
    }

private:
    QTableView *m_view;
};

} // namespace

TBerichte::TBerichte(Options options, TBerichtErstellen *builder, QWidget *parent)
    : QDialog(parent),
      m_options(std::move(options)),
      m_folder(std::make_unique<ReportFolder>(m_options.listsFolder)),
      m_builder(builder)
{
    setObjectName(QStringLiteral("TBerichte"));
    setWindowTitle(QStringLiteral("Berichte"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
    m_date = DateText(QDate::currentDate());
    m_time = QTime::currentTime().toString(QStringLiteral("HH:mm"));

    ListBox = new QListWidget(this);
    ListBox->setObjectName(QStringLiteral("ListBox"));
    ListBox->setAccessibleName(QStringLiteral("Berichte"));
    edFileName = ui::lineEdit(ListBox->viewport(), "edFileName", 0);
    ui::setAccessibleCaption(edFileName, QStringLiteral("neuer Name des Berichts"));
    edFileName->hide();
    edFileName->installEventFilter(this);

    btnNeu = ui::button(this, "btnNeu", QStringLiteral("&Neu"), QStringLiteral("neuen Bericht erstellen"));
    btnBearbeiten = ui::button(this, "btnBearbeiten", QStringLiteral("&Bearbeiten"), QStringLiteral("Bericht bearbeiten"));
    btnUmbenennen = ui::button(this, "btnUmbenennen", QStringLiteral("&Umbenennen"), QStringLiteral("Bericht umbenennen"));
    btnLoeschen = ui::button(this, "btnLoeschen", QStringLiteral("&Löschen"), QStringLiteral("ausgewählten Bericht löschen"));
    btnSchliessen = ui::button(this, "btnSchliessen", QStringLiteral("S&chließen"), QStringLiteral("Fenster schließen"));
    for (QPushButton *b : {btnNeu, btnBearbeiten, btnUmbenennen, btnLoeschen})
        b->hide(); // until the rights allow them

    QLabel *lbSuche = ui::label(this, "lbSuche", QStringLiteral("Schnellsuche"));
    edSuche = ui::lineEdit(this, "edSuche", 0);
    ui::setCaption(edSuche, lbSuche);
    cbxSuche = ui::comboBox(this, "cbxSuche");
    ui::setAccessibleCaption(cbxSuche, QStringLiteral("Schnellsuche in Spalte"));
    btnExportieren = ui::button(this, "btnExportieren", QStringLiteral("&Exportieren"),
                                QStringLiteral("Bericht als CSV-Datei exportieren"));
    btnDrucken = ui::button(this, "btnDrucken", QStringLiteral("&Drucken"), QStringLiteral("Bericht drucken"));
    btnDrucken->setEnabled(false);
    btnExportieren->setEnabled(false);

    Grid = ui::rowGrid(this, "Grid", QStringLiteral("Bericht"), 16);
    m_list = std::make_unique<data::QueryList>(Grid, m_options.databaseFolder, [this](data::SqlResultModel &result) {
        return std::make_unique<ReportGridModel>(result, m_options.immerDauerAusgeben);
    });
    Grid->setFont(QFont(QStringLiteral("Arial"), 8));
    QFont titles(QStringLiteral("Arial"), 8);
    titles.setBold(true);
    Grid->horizontalHeader()->setFont(titles);
    Grid->horizontalHeader()->setMinimumSectionSize(0); // a column file may set any width
    Grid->setItemDelegate(new ReportCellDelegate(Grid));
    Grid->hide();
    Grid->installEventFilter(this);
    lbKeinBericht = ui::label(this, "lbKeinBericht", QStringLiteral("kein Bericht ausgewählt"));
    lbKeinBericht->setAlignment(Qt::AlignCenter);

    pgrBar = new QProgressBar(this);
    pgrBar->setObjectName(QStringLiteral("pgrBar"));
    pgrBar->setTextVisible(false);
    pgrBar->setValue(0);
    pgrBar->setFixedWidth(200);

    auto *left = new QVBoxLayout;
    left->addWidget(ListBox, 1);
    for (QPushButton *b : {btnNeu, btnBearbeiten, btnUmbenennen, btnLoeschen})
        left->addWidget(b);
    auto *search = new QHBoxLayout;
    search->addWidget(lbSuche);
    search->addWidget(edSuche, 1);
    search->addWidget(cbxSuche, 1);
    search->addStretch();
    search->addWidget(btnExportieren);
    search->addWidget(btnDrucken);
    auto *right = new QVBoxLayout;
    right->addLayout(search);
    right->addWidget(lbKeinBericht, 1);
    right->addWidget(Grid, 1);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 4);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnSchliessen);
    bottom->addStretch();
    bottom->addWidget(pgrBar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);
    resize(900, 600);

    connect(ListBox, &QListWidget::itemClicked, this, [this] { RunSelected(); });
    connect(edSuche, &QLineEdit::textChanged, this, &TBerichte::Search);
    connect(cbxSuche, &QComboBox::activated, this, [this] {
        edSuche->setFocus();
        Search();
    });
    connect(btnNeu, &QPushButton::clicked, this, &TBerichte::btnNeuClick);
    connect(btnBearbeiten, &QPushButton::clicked, this, &TBerichte::btnBearbeitenClick);
    connect(btnUmbenennen, &QPushButton::clicked, this, &TBerichte::btnUmbenennenClick);
    connect(btnLoeschen, &QPushButton::clicked, this, &TBerichte::btnLoeschenClick);
    connect(btnDrucken, &QPushButton::clicked, this, &TBerichte::btnDruckenClick);
    connect(btnExportieren, &QPushButton::clicked, this, &TBerichte::btnExportierenClick);
    connect(btnSchliessen, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    BuildList();
}

TBerichte::~TBerichte()
{
    Grid->setModel(nullptr);
}

void TBerichte::setCurrentDateTime(const QString &date, const QString &time)
{
    m_date = date;
    m_time = time;
}

void TBerichte::showMaintenance()
{
    for (QPushButton *b : {btnNeu, btnBearbeiten, btnUmbenennen, btnLoeschen})
        b->show();
}

void TBerichte::open()
{
    if (!m_folder->exists())
        ui::MessageBoxes::show(this, QStringLiteral("Der Listenordner '%1' existiert nicht. Der erste neue "
                                                    "Bericht legt ihn an.")
                                         .arg(QDir::toNativeSeparators(m_options.listsFolder)));
    showMaximized();
    raise();
    activateWindow();
}

QStringList TBerichte::entries() const
{
    QStringList e;
    for (int i = 0; i < ListBox->count(); ++i)
        e << ListBox->item(i)->text();
    return e;
}

int TBerichte::selectedEntry() const
{
    // The selection, not the current row: a list that takes the focus makes its first
    // row current without anyone choosing it.
    const QList<QListWidgetItem *> selected = ListBox->selectedItems();
    return selected.isEmpty() ? -1 : ListBox->row(selected.first());
}

void TBerichte::selectEntry(int index) { ListBox->setCurrentRow(index); }

QString TBerichte::selectedName() const
{
    const int i = selectedEntry();
    return i < 0 ? QString() : ReportFolder::nameOfEntry(ListBox->item(i)->text());
}

void TBerichte::select(const QString &name)
{
    const auto found = ListBox->findItems(ReportFolder::entryText(name), Qt::MatchExactly);
    ListBox->clearSelection();
    if (!found.isEmpty())
        ListBox->setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
}

void TBerichte::BuildList()
{
    ListBox->clear();
    for (const QString &name : m_folder->names())
        ListBox->addItem(ReportFolder::entryText(name));
    ListBox->clearSelection();
}

ReportGridModel *TBerichte::gridModel() const
{
    return m_list->model() ? static_cast<ReportGridModel *>(m_list->shown()) : nullptr;
}

void TBerichte::closeReport()
{
    m_list->release(); // a closed report holds no table of the folder
    m_lines.clear();
    m_measured.clear();
    m_measuredThisRun = false;
    cbxSuche->clear();
}

void TBerichte::RunSelected()
{
    if (selectedEntry() < 0)
        return;
    const QString name = selectedName();
    QStringList lines;
    try {
        lines = m_folder->readQuery(name);
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
        return;
    }
    closeReport();
    m_lines = substituteDates(lines, m_date);
    const auto problem = m_list->open(statementOf(m_lines), {}, 0, data::QueryList::Current::None);
    if (data::SqlResultModel *result = m_list->model()) {
        // A bound reached while the grid reads on: said once, after the view's fetch.
        connect(result, &data::SqlResultModel::readStopped, this, [this](const QString &message) {
            QTimer::singleShot(0, this, [this, message] { ui::MessageBoxes::error(this, message); });
        });
        if (problem)
            QTimer::singleShot(0, this, [this, message = *problem] { ui::MessageBoxes::error(this, message); });
        std::vector<ReportGridModel::Column> columns;
        for (int c = 0; c < result->columnCount(); ++c) {
            const QString delivered = data::dbaseColumnName(result->columnName(c));
            columns.push_back({delivered, delivered, ColumnAlign::Left, ColumnAlign::Left});
        }
        gridModel()->setColumns(std::move(columns));
    } else {
        ui::MessageBoxes::show(this, kSqlFailed);
    }
    lbKeinBericht->hide();
    Grid->show();
    btnDrucken->setEnabled(true);
    btnExportieren->setEnabled(gridModel() != nullptr);
    layoutColumns();
    if (gridModel()) {
        for (const auto &c : gridModel()->columns())
            cbxSuche->addItem(c.title);
        cbxSuche->setCurrentIndex(cbxSuche->count() > 0 ? 0 : -1);
    }
    Grid->setFocus();
}

void TBerichte::measure()
{
    m_measuredThisRun = true;
    m_measured.clear();
    const int columns = std::min(int(gridModel()->columns().size()), AutoFitColumns);
    if (columns == 0)
        return;
    const QFontMetrics fm(Grid->font());
    ColumnMeasure widest(columns, [&fm](const QString &text) { return fm.horizontalAdvance(text); }, fm.maxWidth());
    Grid->hide();
    try {
        const QString statement = statementOf(m_lines);
        int count = 0;
        {
            data::SqlQuery q = m_list->engine().query(QStringLiteral("Select count(*) From (%1)").arg(statement));
            if (q.next())
                count = q.text(0).toInt();
        }
        pgrBar->setRange(0, std::max(1, count));
        pgrBar->setValue(0);
        data::SqlQuery q = m_list->engine().query(statement);
        int row = 0;
        while (q.next()) {
            for (int c = 0; c < columns; ++c)
                widest.add(c, q.utf8(c));
            if (++row % 4096 == 0) {
                pgrBar->setValue(row);
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            }
        }
        for (int c = 0; c < columns; ++c)
            m_measured.insert(m_list->model()->columnName(c).toLower(), widest.widest(c));
    } catch (const Error &) {
        // Widths stay as the table gives them.
    }
    pgrBar->setValue(0);
    Grid->show();
}

void TBerichte::layoutColumns()
{
    if (!gridModel())
        return;
    std::vector<ReportGridModel::Column> columns = gridModel()->columns();
    const int n = int(columns.size());
    if (!m_measuredThisRun)
        measure();
    std::vector<int> current(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c)
        current[size_t(c)] = Grid->columnWidth(c);
    const std::vector<int> widths = planColumnWidths(
        columns,
        [this](const QString &delivered) -> std::optional<int> {
            const int field = m_list->model()->columnIndex(delivered);
            if (field < 0)
                return std::nullopt;
            return m_measured.value(m_list->model()->columnName(field).toLower());
        },
        current, m_folder->readColumnWidths(selectedName()));
    gridModel()->setColumns(std::move(columns));
    for (int c = 0; c < n; ++c)
        Grid->setColumnWidth(c, widths[size_t(c)]);
}

std::vector<int> TBerichte::columnWidths() const
{
    std::vector<int> widths;
    if (gridModel())
        for (int c = 0; c < int(gridModel()->columns().size()); ++c)
            widths.push_back(Grid->columnWidth(c));
    return widths;
}

void TBerichte::saveColumnWidths()
{
    if (selectedEntry() < 0 || !gridModel())
        return;
    QStringList names;
    for (const auto &c : gridModel()->columns())
        names << c.fieldName;
    try {
        m_folder->writeColumnFile(selectedName(), columnWidths(), names);
    } catch (const Error &) {
        // Widths are a convenience; a read-only lists folder keeps the old ones.
    }
}

void TBerichte::Search()
{
    const QString text = edSuche->text();
    if (text.isEmpty() || !m_list->model())
        return;
    const int column = m_list->model()->columnIndex(cbxSuche->currentText());
    if (column < 0)
        return;
    const int row = m_list->model()->findPrefix(column, text);
    if (row < 0)
        return;
    Grid->selectRow(row);
    Grid->scrollTo(gridModel()->index(row, 0));
}

void TBerichte::btnNeuClick()
{
    if (!m_builder)
        return;
    m_builder->prepareNew();
    if (m_builder->exec() != QDialog::Accepted)
        return;
    const QString name = m_folder->uniqueName(m_builder->reportName());
    try {
        m_folder->write(name, m_builder->sqlText(), m_builder->stateList());
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
        return;
    }
    BuildList();
    select(name);
    RunSelected();
}

void TBerichte::btnBearbeitenClick()
{
    if (selectedEntry() < 0 || !m_builder)
        return;
    const QString name = selectedName();
    try {
        m_builder->prepareEdit(name, m_folder->readState(name));
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
        return;
    }
    if (m_builder->exec() != QDialog::Accepted)
        return;
    try {
        m_folder->write(name, m_builder->sqlText(), m_builder->stateList());
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
        return;
    }
    select(name);
    RunSelected();
}

void TBerichte::btnUmbenennenClick()
{
    const int index = selectedEntry();
    if (index < 0)
        return;
    m_renaming = index;
    edFileName->setGeometry(ListBox->visualItemRect(ListBox->item(index)));
    edFileName->setText(selectedName());
    edFileName->show();
    edFileName->setFocus();
    edFileName->selectAll();
}

void TBerichte::finishRename()
{
    if (m_renaming < 0)
        return;
    const int index = m_renaming;
    m_renaming = -1;
    const QString oldName = ReportFolder::nameOfEntry(ListBox->item(index)->text());
    const QString newName = edFileName->text();
    QString selected = oldName;
    if (edFileName->isVisible() && !newName.isEmpty() && newName != oldName) {
        try {
            m_folder->rename(oldName, newName);
            selected = newName;
        } catch (const Error &e) {
            edFileName->hide();
            ui::MessageBoxes::error(this, e.message());
        }
    }
    edFileName->hide();
    BuildList();
    select(selected);
    ListBox->setFocus();
}

void TBerichte::btnLoeschenClick()
{
    if (selectedEntry() < 0)
        return;
    const QString name = selectedName();
    if (!ui::MessageBoxes::askYesNo(this,
                                    QStringLiteral("Wollen Sie den ausgewählten Bericht '%1' wirklich löschen ?").arg(name),
                                    QStringLiteral("Achtung"), QMessageBox::Warning))
        return;
    try {
        m_folder->remove(name);
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
    closeReport();
    BuildList();
    Grid->hide();
    lbKeinBericht->show();
    btnDrucken->setEnabled(false);
    btnExportieren->setEnabled(false);
}

void TBerichte::btnDruckenClick()
{
    const std::vector<int> widths = columnWidths();
    QPrinter printer(QPrinter::HighResolution);
    if (!ReportPrinter::fits(printer, widths, m_options.seitenBreitePruefen)) {
        ui::MessageBoxes::show(this, QString::fromUtf8(ReportPrinter::TooWideMessage));
        return;
    }
    ReportPrinter::orient(printer, widths);
    if (!gridModel()) {
        // A statement the engine refused: there is nothing to print.
        return;
    }
    ReportPrinter::Job job{selectedName(), m_date, m_time, widths, m_options.immerDauerAusgeben};
    printer.setDocName(QStringLiteral("Lobrix Bericht '%1'").arg(job.reportName));
    const auto preview = [this, &job](QPainter &painter) {
        if (auto *target = dynamic_cast<QPrinter *>(painter.device()))
            ReportPrinter::print(painter, *target, job, *gridModel());
    };
    if (!layouts::PrintConfirmation::confirm(this, printer, preview))
        return;
    ReportPrinter::orient(printer, widths); // decided by the width, whatever was chosen
    QPainter painter;
    if (!painter.begin(&printer)) {
        ui::MessageBoxes::error(this, QStringLiteral("Der Drucker '%1' kann nicht drucken.").arg(printer.printerName()));
        return;
    }
    pgrBar->setRange(0, std::max(1, m_list->model()->rowCount()));
    ReportPrinter::print(painter, printer, job, *gridModel(), [this](int done) {
        pgrBar->setMaximum(std::max(pgrBar->maximum(), m_list->model()->rowCount()));
        pgrBar->setValue(done);
        if (done % 500 == 0)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    painter.end();
    FileModes::settlePrinted(printer.outputFileName());
}

void TBerichte::btnExportierenClick()
{
    if (!gridModel())
        return;
    const QString path = m_chooseFile ? m_chooseFile(this)
                                      : QFileDialog::getSaveFileName(this, QStringLiteral("Bericht exportieren"),
                                                                     selectedName() + QStringLiteral(".csv"),
                                                                     QStringLiteral("CSV-Dateien (*.csv)"));
    if (path.isEmpty())
        return;
    try {
        const ReportTable table = runLines(m_list->engine(), m_lines, m_options.immerDauerAusgeben);
        TextFile::writeBytes(path, csvText(table));
        if (m_options.log)
            m_options.log->writeEventLog(exportLogText(selectedName(), int(table.rows.size()), path));
        const QString done = QStringLiteral("%1 Zeilen nach '%2' exportiert.")
                                 .arg(table.rows.size())
                                 .arg(QDir::toNativeSeparators(path));
        if (table.stopped.isEmpty())
            ui::MessageBoxes::show(this, done);
        else
            ui::MessageBoxes::error(this, done + u'\n' + table.stopped);
    } catch (const Error &e) {
        ui::MessageBoxes::error(this, e.message());
    }
}

void TBerichte::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    edFileName->hide();
    m_renaming = -1;
    edSuche->clear();
    if (selectedEntry() >= 0)
        RunSelected();
}

void TBerichte::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (isVisible())
        layoutColumns();
}

bool TBerichte::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Grid && event->type() == QEvent::FocusOut)
        saveColumnWidths();
    if (watched == edFileName) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ListBox->setFocus(); // ends the editing
                finishRename();
                return true;
            }
            if (key == Qt::Key_Escape) {
                edFileName->hide(); // cancels it
                finishRename();
                return true;
            }
        }
        if (event->type() == QEvent::FocusOut)
            finishRename();
    }
    return QDialog::eventFilter(watched, event);
}

void TBerichte::done(int result)
{
    saveColumnWidths();
    // A result read in part holds its tables open, and packing elsewhere in this program
    // needs them closed; the next opening runs the report again anyway.
    closeReport();
    QDialog::done(result);
}

} // namespace lobrix::records
