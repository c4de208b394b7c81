// The layout designers (offscreen) on full layouts in a fresh installation of their own:
// the badge with all 40 slots in use (20 texts, 20 pictures), the visitor sheet with all
// 400 (200 texts, 200 pictures), every picture a 120 x 80 bitmap.
//   Open/sheet:0    the opening steps and the first paint of the canvas           < 200 ms
//   Drag/sheet:0    one mouse move while an item is dragged, painted             < 5 ms
//   Save/sheet:0    "&Speichern": the canvas into the working copy, the badge type
//                  copied into the database folder                              < 100 ms
//   Open/sheet:1    the same for the visitor sheet                                < 300 ms
//   Drag/sheet:1                                                                  < 5 ms
//   Save/sheet:1    "&Speichern" back into the layout file                        < 150 ms
//   SheetZoom      a new zoom entry, painted                                     < 100 ms
#include "common/ui/MessageBoxes.h"
#include "layouts/LayoutFile.h"
#include "layouts/LayoutLocations.h"
#include "layouts/ui/DesignCanvas.h"
#include "layouts/ui/TBadgeDesign.h"
#include "layouts/ui/TQuittungDesign.h"
#include "setup/Installation.h"
#include "shell/ui/LobrixApplication.h"

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <memory>

using namespace lobrix;
using namespace lobrix::layouts;

namespace {

std::unique_ptr<QTemporaryDir> g_dir;
QString g_start, g_db, g_fullBadge;

double seconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

// What a repaint of the canvas costs (an offscreen window is not exposed, so repaint()
// would paint nothing).
void paintCanvas(DesignCanvas &canvas)
{
    static QImage image;
    if (image.size() != canvas.size())
        image = QImage(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.render(&image);
}

// Every slot in use: pictures in a grid, each with a text below it.
Layout fullLayout(LayoutFamily family, int columns, QSize pitch)
{
    Layout layout;
    layout.family = family;
    layout.portrait = family == LayoutFamily::VisitorSheet;
    for (int slot = 1; slot <= slotCount(family); ++slot) {
        LayoutPicture p;
        p.slot = slot;
        p.left = (slot - 1) % columns * pitch.width();
        p.top = (slot - 1) / columns * pitch.height();
        p.width = pitch.width() / 2;
        p.height = pitch.height() / 2;
        p.pfad = QStringLiteral("voll.bmp");
        layout.pictures.append(p);
        LayoutLabel l;
        l.slot = slot;
        l.left = p.left;
        l.top = p.top + p.height + 2;
        l.caption = QStringLiteral("Feld %1").arg(slot);
        layout.labels.append(l);
    }
    return layout;
}

void makeInstallation()
{
    g_dir = std::make_unique<QTemporaryDir>();
    g_start = QDir(g_dir->path()).filePath(QStringLiteral("start"));
    g_db = QDir(g_dir->path()).filePath(QStringLiteral("db"));
    setup::Installation::create(g_start, g_db, {});
    QImage bitmap(120, 80, QImage::Format_RGB32);
    bitmap.fill(Qt::darkCyan);
    bitmap.save(QDir(LayoutLocations::imagesFolder(g_start)).filePath(QStringLiteral("voll.bmp")), "BMP");
    g_fullBadge = QDir(g_db).filePath(QStringLiteral("Ausweis Voll.ini"));
    LayoutFile(g_fullBadge, LayoutFamily::Badge).create(fullLayout(LayoutFamily::Badge, 5, QSize(100, 80)));
    LayoutFile(LayoutLocations::visitorSheet(g_start), LayoutFamily::VisitorSheet)
        .create(fullLayout(LayoutFamily::VisitorSheet, 10, QSize(70, 50)));
}

// Range 0: the badge designer on the full badge type; 1: the sheet designer.
std::unique_ptr<LayoutDesigner> openDesigner(const benchmark::State &state)
{
    std::unique_ptr<LayoutDesigner> designer;
    if (state.range(0) == 0) {
        designer = std::make_unique<TBadgeDesign>(g_start, g_db);
        LayoutDesigner::Dialogs dialogs;
        dialogs.open = [](QWidget *, const QString &, const QString &, const QString &) { return g_fullBadge; };
        dialogs.save = [](QWidget *, const QString &, const QString &, const QString &) { return QStringLiteral("Kopie"); };
        designer->setDialogs(dialogs);
    } else {
        designer = std::make_unique<TQuittungDesign>(g_start, g_db);
        designer->resize(1280, 1000);
    }
    designer->show();
    return designer;
}

void Open(benchmark::State &state)
{
    auto designer = openDesigner(state);
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        designer->prepare();
        paintCanvas(*designer->canvas());
        state.SetIterationTime(seconds(t));
        state.counters["items"] = double(designer->document().layout().labels.size() +
                                         designer->document().layout().pictures.size());
    }
}

void send(DesignCanvas *canvas, QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, canvas->mapToGlobal(at), button, buttons, {});
    QCoreApplication::sendEvent(canvas, &event);
}

void Drag(benchmark::State &state)
{
    auto designer = openDesigner(state);
    designer->prepare();
    DesignCanvas *canvas = designer->canvas();
    const int slot = state.range(0) == 0 ? 7 : 55;
    const QPoint start = canvas->itemRect({ItemKind::Picture, slot}).center();
    // A click selects it (the sheet drags only a selected item), the next press drags.
    send(canvas, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    send(canvas, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    send(canvas, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        const QPoint p = start + QPoint(step % 40, (step / 40) % 40);
        ++step;
        QElapsedTimer t;
        t.start();
        send(canvas, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
        paintCanvas(*canvas);
        state.SetIterationTime(seconds(t));
    }
    state.counters["left"] = designer->document().picture(slot)->left; // it did move
    send(canvas, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
}

void Save(benchmark::State &state)
{
    for (auto _ : state) {
        auto designer = openDesigner(state);
        designer->prepare();
        QElapsedTimer t;
        t.start();
        designer->btnSpeichernClick();
        state.SetIterationTime(seconds(t));
    }
}

void SheetZoom(benchmark::State &state)
{
    auto designer = openDesigner(state);
    designer->prepare();
    auto *zoom = designer->findChild<QComboBox *>(QStringLiteral("cbxZoom"));
    int n = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        zoom->setCurrentIndex(n++ % 4);
        paintCanvas(*designer->canvas());
        state.SetIterationTime(seconds(t));
    }
}

void bothDesigners(benchmark::internal::Benchmark *b)
{
    b->ArgName("sheet")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->ReportAggregatesOnly(true);
}

} // namespace

BENCHMARK(Open)->Apply(bothDesigners)->Iterations(1)->Repetitions(10);
BENCHMARK(Drag)->Apply(bothDesigners)->Iterations(50)->Repetitions(5);
BENCHMARK(Save)->Apply(bothDesigners)->Iterations(1)->Repetitions(10);
BENCHMARK(SheetZoom)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(12)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    shell::LobrixApplication app(argc, argv);
    makeInstallation();
    ui::MessageBoxes::setHooks([](const ui::MessageRecord &m) { std::fprintf(stderr, "message: %s\n", qPrintable(m.text)); },
                               [](const ui::MessageRecord &) { return true; });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
