#include "registration/ui/TVoranmeldung.h"

#include "registration/PreRegistration.h"

#include "common/Error.h"
#include "common/IniFile.h"
#include "common/TimeText.h"
#include "common/ui/Controls.h"
#include "common/ui/EnterAsTab.h"
#include "common/ui/MessageBoxes.h"
#include "data/ui/QueryList.h"
#include "data/SqlResultModel.h"
#include "data/Tables.h"
#include "registration/VisitColumns.h"
#include "shell/Session.h"
#include "shell/SettingsKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTableView>

namespace lobrix::registration {
namespace {

namespace fenster = shell::keys::fenster;

struct Sort {
    const char *caption;
    const char *order;  // after "Order by "
    const char *column; // the column the quick search looks in
    bool extended;      // only with VoranmeldungExt
};
constexpr Sort kSorts[] = {
    {"Name", "Name", "Name", false},          {"Vorname", "Vorname", "Vorname", false},
    {"Firma", "Firma", "Firma", false},       {"Land", "Land", "Land", false},
    {"Datum", "Tag DESC, Uhrzeit", "Tag", false}, {"Uhrzeit", "Uhrzeit", "Uhrzeit", true},
    {"Besuchsziel", "Ziel", "Ziel", false},   {"Ressourcen", "Ressourcen", "Ressourcen", true},
    {"Bemerkung", "Bemerkung", "Bemerkung", false},
};

// The grid's columns, in order; the last two are hidden.
constexpr const char *kColumns[] = {"Name", "Vorname", "Firma", "Land", "Tag", "Uhrzeit",
                                    "Ziel", "Bemerkung", "Ressourcen", "Vorgang", "Anwesend"};
constexpr int kDatumWidth = 80;
constexpr int kUhrzeitWidth = 56;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 28;
constexpr int kGridTop = 64;

bool sameName(const QVariant &a, const char *b)
{
    return a.toString().compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

// The result's columns with the grid's titles and alignment ("Tag" reads "DATUM").
class GridColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        const QVariant name = QIdentityProxyModel::headerData(section, o, Qt::DisplayRole);
        if (o == Qt::Horizontal && role == Qt::DisplayRole && sameName(name, "Tag"))
            return QStringLiteral("DATUM");
        return QIdentityProxyModel::headerData(section, o, role);
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::TextAlignmentRole) {
            const QVariant name = headerData(index.column(), Qt::Horizontal, Qt::EditRole);
            const bool centred = sameName(name, "Tag") || sameName(name, "Uhrzeit");
            return int((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// The two symbols: a small figure for a visitor present, a flag for a visit that is over.
QPixmap presentSymbol()
{
    QPixmap pm(11, 17);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 128, 0));
    p.drawEllipse(QRectF(3, 0.5, 5, 5));
    p.drawRoundedRect(QRectF(1.5, 6.5, 8, 10), 2, 2);
    return pm;
}

QPixmap finishedSymbol()
{
    QPixmap pm(15, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(64, 64, 64));
    p.drawLine(2, 1, 2, 15);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            p.fillRect(3 + x * 2, 1 + y * 2, 2, 2, (x + y) % 2 ? Qt::white : Qt::black);
    p.drawRect(3, 1, 10, 6);
    return pm;
}

// The column of the grid's model whose name is `name`; -1 when there is none.
int columnNamed(const QAbstractItemModel *model, const char *name)
{
    for (int c = 0; c < model->columnCount(); ++c)
        if (sameName(model->headerData(c, Qt::Horizontal, Qt::EditRole), name))
            return c;
    return -1;
}

// The rows' colours and symbols.
class RowPainter : public QStyledItemDelegate {
public:
    RowPainter(QString today, QObject *parent)
        : QStyledItemDelegate(parent), m_today(std::move(today)), m_present(presentSymbol()),
          m_finished(finishedSymbol())
    {
    }

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QAbstractItemModel *m = index.model();
        const auto cell = [&](const char *column) {
            const int c = columnNamed(m, column);
            return c < 0 ? QString() : m->index(index.row(), c).data().toString();
        };
        const bool selected = option.state & QStyle::State_Selected;
        const bool focused = option.widget && option.widget->hasFocus();
        const TVoranmeldung::Look look = TVoranmeldung::lookOf(
            TVoranmeldung::stateOf(cell("Vorgang"), cell("Anwesend")), cell("Tag") == m_today,
            selected, focused, option.palette);
        p->save();
        p->fillRect(option.rect, look.ground);
        QRect text = option.rect.adjusted(2, 0, -3, 0);
        const QVariant name = m->headerData(index.column(), Qt::Horizontal, Qt::EditRole);
        const QPixmap *symbol = nullptr;
        if (look.state == TVoranmeldung::State::Present && sameName(name, "Name"))
            symbol = &m_present;
        else if (look.state == TVoranmeldung::State::Finished && sameName(name, "Ziel"))
            symbol = &m_finished;
        if (symbol) {
            const int y = option.rect.top() + (option.rect.height() - symbol->height()) / 2;
            p->drawPixmap(option.rect.left() + 1, y, *symbol);
            text.setLeft(option.rect.left() + symbol->width() + 3);
        }
        p->setPen(look.ink);
        p->drawText(text, index.data(Qt::TextAlignmentRole).toInt(), index.data().toString());
        p->restore();
    }

private:
    QString m_today;
    QPixmap m_present;
    QPixmap m_finished;
};

} // namespace

TVoranmeldung::TVoranmeldung(const shell::Session &session, QWidget *parent)
    : QDialog(parent), m_database(session.folders().database),
      m_fenster(QDir(session.folders().start).filePath(QString::fromLatin1(shell::keys::FensterFile))),
      m_session(session), m_extended(session.options().voranmeldungExt)
{
    setObjectName(QStringLiteral("TVoranmeldung"));
    setWindowTitle(QStringLiteral("vorangemeldete Besucher"));
    setModal(true);
    setMinimumSize(MinWidth, MinHeight);
    setSizeGripEnabled(true);

    lbUeberschrift = ui::label(this, "lbUeberschrift", QStringLiteral("Besuchervoranmeldung"));
    QFont big = lbUeberschrift->font();
    big.setBold(true);
    big.setPointSize(14);
    lbUeberschrift->setFont(big);
    lbUeberschrift->adjustSize();

    QLabel *lbSortierung = ui::label(this, "lbSortierung", QStringLiteral("Sortierung"), kMargin, 10);
    cbxSortierung = ui::comboBox(this, "cbxSortierung", QRect(kMargin + 70, 6, 130, 24));
    for (const Sort &s : kSorts)
        cbxSortierung->addItem(QString::fromLatin1(s.caption));
    cbxSortierung->setCurrentIndex(m_sort);
    ui::setCaption(cbxSortierung, lbSortierung);
    QLabel *lbSuche = ui::label(this, "lbSuche", QStringLiteral("Schnellsuche"), kMargin + 220, 10);
    edSuche = ui::lineEdit(this, "edSuche", 0, QRect(kMargin + 310, 6, 160, 24));
    ui::setCaption(edSuche, lbSuche);
    chkHeute = ui::checkBox(this, "chkHeute", QStringLiteral("nur für heute angemeldete Besucher anzeigen"),
                            QRect(kMargin, 36, 360, 22));

    Grid = ui::rowGrid(this, "Grid", QStringLiteral("vorangemeldete Besucher"), 20);
    m_list = std::make_unique<data::QueryList>(Grid, m_database, [](data::SqlResultModel &result) {
        auto columns = std::make_unique<GridColumns>();
        columns->setSourceModel(&result);
        return columns;
    });
    Grid->setItemDelegate(new RowPainter(CurrentDateText(session.clock()), Grid));

    btnSpeichern = ui::button(this, "btnSpeichern", QStringLiteral("Ü&bernehmen"),
                              QStringLiteral("aus Auswahl übernehmen"));
    btnAbbrechen = ui::button(this, "btnAbbrechen", QStringLiteral("&Abbrechen"),
                              QStringLiteral("Abbrechen ohne Übernehmen"));

    connect(cbxSortierung, &QComboBox::currentIndexChanged, this, &TVoranmeldung::cbxSortierungChange);
    connect(edSuche, &QLineEdit::textChanged, this, &TVoranmeldung::edSucheChange);
    connect(chkHeute, &QCheckBox::clicked, this, &TVoranmeldung::chkHeuteClick);
    connect(Grid, &QTableView::doubleClicked, this, &TVoranmeldung::btnSpeichernClick);
    connect(btnSpeichern, &QPushButton::clicked, this, &TVoranmeldung::btnSpeichernClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &TVoranmeldung::btnAbbrechenClick);
    new ui::EnterAsTab(this);
    resize(fenster::Width.defaultValue, fenster::Height.defaultValue);
}

TVoranmeldung::~TVoranmeldung()
{
    // At program end, as at every closing.
    if (m_everShown)
        writeWindowMemory();
}

TVoranmeldung::State TVoranmeldung::stateOf(const QString &vorgang, const QString &anwesend)
{
    const QString v = vorgang.trimmed();
    if (v.isEmpty() || v == u"0")
        return State::Open;
    const QString a = anwesend.trimmed();
    const bool present = a == u"1" || a.compare(u"T", Qt::CaseInsensitive) == 0;
    return present ? State::Present : State::Finished;
}

TVoranmeldung::Look TVoranmeldung::lookOf(State state, bool today, bool selected, bool focused,
                                          const QPalette &palette)
{
    const bool marked = selected && focused;
    Look look{state, palette.color(QPalette::Base), palette.color(QPalette::Text)};
    if (selected) {
        look.ground = palette.color(QPalette::Highlight);
        look.ink = palette.color(QPalette::HighlightedText);
    }
    if (today)
        look.ink = marked ? QColor(255, 255, 0) : QColor(0, 0, 255);
    if (state == State::Present) {
        if (marked)
            look.ink = Qt::white;
        else
            look.ground = QColor(255, 219, 183);
    } else if (state == State::Finished) {
        look.ink = marked ? QColor(192, 192, 192) : QColor(128, 128, 128);
    }
    return look;
}

QString TVoranmeldung::statement() const
{
    return PreRegistration::listStatement(chkHeute->isChecked(), QString::fromLatin1(kSorts[m_sort].order));
}

QString TVoranmeldung::searchColumn() const
{
    return QString::fromLatin1(kSorts[m_sort].column);
}

std::optional<PreRegistration> TVoranmeldung::pick(const VisitData &current)
{
    {
        const QSignalBlocker quiet(edSuche); // applied when the list shows
        if (const auto text = searchTextFor(current, cbxSortierung->currentText()))
            edSuche->setText(*text);
    }
    exec();
    return m_taken;
}

void TVoranmeldung::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TVoranmeldung::FormShow()
{
    m_everShown = true;
    const IniFile window(m_fenster);
    {
        const QSignalBlocker quiet(chkHeute);
        chkHeute->setChecked(shell::keys::read(window, fenster::NurHeutigeBesucher));
    }
    setGeometry(shell::keys::read(window, fenster::Left), shell::keys::read(window, fenster::Top),
                std::max(MinWidth, shell::keys::read(window, fenster::Width)),
                std::max(MinHeight, shell::keys::read(window, fenster::Height)));
    if (shell::keys::read(window, fenster::Maximiert))
        setWindowState(windowState() | Qt::WindowMaximized);
    m_takenOver = false;
    reopen();
    edSuche->setFocus();
    edSucheChange();
    FormResize();
}

data::SqlResultModel *TVoranmeldung::resultModel() const
{
    return m_list->model();
}

void TVoranmeldung::reopen()
{
    // The list is read whole (pre-registrations of today and later): a keystroke in the
    // quick search never waits for the engine to sort it once more.
    const auto problem = m_list->open(statement(), QVariantList{CurrentDateText(m_session.clock())}, EagerRows,
                                      data::QueryList::Current::First);
    if (problem && !resultModel())
        return ui::MessageBoxes::error(this, *problem);
    arrangeColumns();
    if (problem)
        ui::MessageBoxes::error(this, *problem);
}

void TVoranmeldung::arrangeColumns()
{
    QHeaderView *header = Grid->horizontalHeader();
    const int count = resultModel() ? resultModel()->columnCount() : 0;
    for (int c = 0; c < count; ++c)
        header->setSectionHidden(c, true);
    int visual = 0;
    for (const char *name : kColumns) {
        const int c = resultModel()->columnIndex(QLatin1String(name));
        if (c < 0)
            continue;
        header->moveSection(header->visualIndex(c), visual++);
        const bool hidden = sameName(QString::fromLatin1(name), "Vorgang") || sameName(QString::fromLatin1(name), "Anwesend");
        header->setSectionHidden(c, hidden);
    }
}

void TVoranmeldung::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TVoranmeldung::FormResize()
{
    const int w = width();
    const int h = height();
    Grid->setGeometry(kMargin, kGridTop, w - 2 * kMargin, std::max(40, h - kGridTop - 10 - kButtonHeight - 5));
    const int buttonsTop = Grid->geometry().bottom() + 1 + 5;
    btnSpeichern->setGeometry(w - 20 - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight);
    btnAbbrechen->setGeometry(btnSpeichern->x() - (20 + kButtonWidth), buttonsTop, kButtonWidth, kButtonHeight);
    lbUeberschrift->move(w - 20 - lbUeberschrift->width(), 8);
    if (!resultModel())
        return;
    const int share = (Grid->width() - kDatumWidth - kUhrzeitWidth - 40) / (m_extended ? 7 : 5);
    for (const char *name : kColumns) {
        const int c = resultModel()->columnIndex(QLatin1String(name));
        if (c < 0)
            continue;
        int width = 100; // the others keep their width
        if (sameName(QString::fromLatin1(name), "Tag"))
            width = kDatumWidth;
        else if (sameName(QString::fromLatin1(name), "Uhrzeit"))
            width = kUhrzeitWidth;
        else if (sameName(QString::fromLatin1(name), "Vorgang") || sameName(QString::fromLatin1(name), "Anwesend"))
            width = 0;
        else if (m_extended || (!sameName(QString::fromLatin1(name), "Bemerkung") &&
                                !sameName(QString::fromLatin1(name), "Ressourcen")))
            width = share;
        Grid->setColumnWidth(c, std::max(0, width));
    }
}

void TVoranmeldung::cbxSortierungChange()
{
    const int chosen = cbxSortierung->currentIndex();
    if (chosen < 0 || (kSorts[chosen].extended && !m_extended))
        return; // "Uhrzeit" and "Ressourcen" sort only the extended list
    m_sort = chosen;
    if (!isVisible())
        return;
    reopen();
    edSuche->setFocus();
    edSucheChange();
}

void TVoranmeldung::edSucheChange()
{
    m_list->find(searchColumn(), edSuche->text()); // a failing search is ignored
}

void TVoranmeldung::chkHeuteClick()
{
    reopen();
    edSucheChange();
}

std::optional<PreRegistration> TVoranmeldung::currentRow() const
{
    if (!resultModel() || resultModel()->rowCount() == 0)
        return std::nullopt;
    const int row = std::max(0, Grid->currentIndex().row());
    const auto value = [&](const QString &column) {
        const int c = resultModel()->columnIndex(column);
        return c < 0 ? QString() : resultModel()->text(row, c);
    };
    PreRegistration out;
    out.visit = VisitColumns::read(value);
    out.nr = value(data::columns::Nr);
    out.ressourcen = value(data::columns::Ressourcen);
    return out;
}

void TVoranmeldung::btnSpeichernClick()
{
    m_takenOver = true;
    accept();
}

void TVoranmeldung::btnAbbrechenClick()
{
    m_takenOver = false;
    reject();
}

void TVoranmeldung::FormClose()
{
    writeWindowMemory();
}

void TVoranmeldung::writeWindowMemory()
{
    try {
        IniFile window(m_fenster);
        const bool maximised = isMaximized();
        const QRect normal = maximised ? normalGeometry() : geometry();
        shell::keys::write(window, fenster::Top, normal.top());
        shell::keys::write(window, fenster::Left, normal.left());
        shell::keys::write(window, fenster::Width, normal.width());
        shell::keys::write(window, fenster::Height, normal.height());
        shell::keys::write(window, fenster::Maximiert, maximised);
        shell::keys::write(window, fenster::NurHeutigeBesucher, chkHeute->isChecked());
    } catch (const Error &) {
        // The window's place is a convenience; a file that cannot be written keeps the old.
    }
}

void TVoranmeldung::done(int result)
{
    // The row is read before the table is let go of, so that nothing holds Voranmel.dbf.
    m_taken = m_takenOver ? currentRow() : std::nullopt;
    FormClose();
    m_list->release();
    QDialog::done(result);
}

} // namespace lobrix::registration
